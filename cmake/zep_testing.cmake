# zep_add_test(NAME src...): one GoogleTest executable, discovered by CTest.
function(zep_add_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE testsupport testmain GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# zep_add_server_pass(NAME): the tests of NAME once more against the run's PostgreSQL
# server, each on a database of its own, named pg.<test> and labelled "postgres". The
# server is the pg_server fixture's (tests/CMakeLists.txt), found through the folder
# compiled into the test support; with no PostgreSQL installed the pass skips.
function(zep_add_server_pass name)
  gtest_discover_tests(${name}
    TEST_PREFIX "pg."
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "ZEP_TEST_DATABASE=postgres"
      FIXTURES_REQUIRED pg_server
      LABELS postgres)
endfunction()
