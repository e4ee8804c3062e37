#pragma once

#include <QString>

namespace zep::data {

// The login password is kept as an Argon2id hash string. Databases made before that (or
// by other means) may hold it as plain text; such a value still works and is replaced by
// its hash at the next save.

// Argon2id hash string of `password` (libsodium, interactive limits); empty on failure.
QString hash_login_password(const QString& password);

// True when `stored` is a hash string rather than a plain password.
bool is_login_hash(const QString& stored);

// True when `answer` is the password `stored` stands for: exact and case-sensitive.
bool login_password_matches(const QString& stored, const QString& answer);

// What to write to the database for the in-memory value: empty stays empty (no login
// prompt), a hash stays as it is, a plain password becomes its hash.
QString stored_login_password(const QString& value);

}  // namespace zep::data
