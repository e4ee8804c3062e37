# zep_add_test(NAME src...): one GoogleTest executable, discovered by CTest.
function(zep_add_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE testsupport testmain GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
