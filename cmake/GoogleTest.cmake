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
