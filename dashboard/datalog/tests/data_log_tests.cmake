# The data log in a whole dashboard core, against the simulated ECU.
add_executable(kvrcore_datalog_tests ${CMAKE_CURRENT_SOURCE_DIR}/tests/data_log_session_test.cpp)
target_link_libraries(kvrcore_datalog_tests PRIVATE kvrcore kvrsim_core kvrsim_image GTest::gtest_main)
kvr_warnings(kvrcore_datalog_tests)
gtest_discover_tests(kvrcore_datalog_tests DISCOVERY_MODE PRE_TEST)
