# GoogleTest for the mingw-w64 cross build, compiled from Debian's sources
# (libgtest-dev's binaries are for Linux). Provides GTest::gtest and
# GTest::gtest_main like CMake's own FindGTest.
set(vornic_googletest_source /usr/src/googletest)
if(NOT TARGET GTest::gtest)
  if(NOT EXISTS ${vornic_googletest_source}/CMakeLists.txt)
    set(GTest_FOUND FALSE)
    if(GTest_FIND_REQUIRED)
      message(FATAL_ERROR "GoogleTest sources not found in ${vornic_googletest_source} (Debian package googletest)")
    endif()
    return()
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${vornic_googletest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
set(GTest_FOUND TRUE)
set(GTEST_FOUND TRUE)
