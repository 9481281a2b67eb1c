# The fuel map and the tuning analysis, against drives the tests make up.
add_executable(kvrcore_analysis_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuel_map_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/linear_solve_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/sensor_lag_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/synthetic_drive.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/target_afr_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/tune_filters_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/tune_fit_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/tune_samples_test.cpp
)
target_link_libraries(kvrcore_analysis_tests PRIVATE kvrcore kvrsim_image GTest::gtest_main)
kvr_warnings(kvrcore_analysis_tests)
gtest_discover_tests(kvrcore_analysis_tests DISCOVERY_MODE PRE_TEST)

# How long a long drive takes to analyse (prints the times; not a test).
add_executable(kvrcore_tune_timing
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/tune_timing.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/synthetic_drive.cpp
)
target_link_libraries(kvrcore_tune_timing PRIVATE kvrcore kvrsim_image GTest::gtest)
kvr_warnings(kvrcore_tune_timing)
