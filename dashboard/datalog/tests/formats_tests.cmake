# The log formats: MSL written and read back, MLG checked by a reader of the
# tests' own, CSV, and the per-column statistics.
add_executable(kvrcore_datalog_format_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/msl_format_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/mlg_read_back_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/csv_writer_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/log_stats_test.cpp
)
target_link_libraries(kvrcore_datalog_format_tests PRIVATE kvrcore GTest::gtest_main)
kvr_warnings(kvrcore_datalog_format_tests)
gtest_discover_tests(kvrcore_datalog_format_tests DISCOVERY_MODE PRE_TEST)
