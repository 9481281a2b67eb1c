# GoogleTest: the installed package for native builds; Debian's sources
# (/usr/src/googletest) for builds whose architecture has no installed copy,
# such as the 32-bit build of the serial library.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  find_package(GTest QUIET)
endif()
if(NOT TARGET GTest::gtest_main)
  set(KVR_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KVR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Newer GoogleTest sources define these names themselves.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
include(GoogleTest)

# Every program that links GoogleTest also links tests/support/test_environment.c,
# which clears the user's port settings and gives the program folders and a
# time zone of its own before main runs: the same whether ctest runs it or a
# developer does by hand. C programs among the tests link the object
# themselves (target_link_libraries(... kvr_test_environment)).
add_library(kvr_test_environment OBJECT ${PROJECT_SOURCE_DIR}/tests/support/test_environment.c)
kvr_warnings(kvr_test_environment)
get_target_property(kvr_gtest_target GTest::gtest ALIASED_TARGET)
if(NOT kvr_gtest_target)
  set(kvr_gtest_target GTest::gtest)
endif()
# The target too, not only its objects: that makes every test program wait for them.
target_link_libraries(${kvr_gtest_target} INTERFACE kvr_test_environment $<TARGET_OBJECTS:kvr_test_environment>)
