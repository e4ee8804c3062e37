namespace zep::sim {}
