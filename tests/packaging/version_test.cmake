# The version texts Windows shows and the packages' time, derived in CMake.
#   cmake -DSOURCE_DIR=<tree> -P version_test.cmake
# Cases that must stop the build run in a cmake of their own.
include(${SOURCE_DIR}/cmake/Version.cmake)

if(DEFINED BAD_VERSION)
  vornic_windows_version(${BAD_VERSION} text numbers)
  return()
endif()

set(failures 0)
macro(expect what got wanted)
  if(NOT "${got}" STREQUAL "${wanted}")
    message(SEND_ERROR "${what}: got '${got}', expected '${wanted}'")
    math(EXPR failures "${failures} + 1")
  endif()
endmacro()

# version | text | numbers
foreach(row "1.0.0|1.00|1,0,0,0" "1.2.0|1.02|1,2,0,0" "2.10.0|2.10|2,10,0,0" "1.0.3|1.00.3|1,0,3,0"
            "0.99.65535|0.99.65535|0,99,65535,0")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 version)
  list(GET row 1 text)
  list(GET row 2 numbers)
  vornic_windows_version(${version} got_text got_numbers)
  expect("text of ${version}" "${got_text}" "${text}")
  expect("numbers of ${version}" "${got_numbers}" "${numbers}")
endforeach()

foreach(version 1.100.0 1.0 1.0.0.0 01.0.0 65536.0.0 1.0.0-rc1)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SOURCE_DIR} -DBAD_VERSION=${version}
                          -P ${CMAKE_CURRENT_LIST_FILE} RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(status EQUAL 0)
    message(SEND_ERROR "version ${version} was taken")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()

# In a git tree the time is the last commit's.
unset(ENV{SOURCE_DATE_EPOCH})
find_package(Git QUIET)
execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} log -1 --format=%ct
                OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status ERROR_QUIET)
if(GIT_FOUND AND status EQUAL 0)
  vornic_source_date_epoch(${SOURCE_DIR} 2000-01-01 got)
  expect("time of the last commit" "${got}" "${commit_time}")
endif()

# Outside a git tree the time is midnight UTC of the release date.
set(no_git ${CMAKE_CURRENT_BINARY_DIR}/no-git-tree)
file(MAKE_DIRECTORY ${no_git})
set(ENV{GIT_CEILING_DIRECTORIES} ${CMAKE_CURRENT_BINARY_DIR})
foreach(row "1970-01-01|0" "1999-12-31|946598400" "2000-03-01|951868800" "2024-02-29|1709164800"
            "2026-12-07|1796601600")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 date)
  list(GET row 1 seconds)
  vornic_source_date_epoch(${no_git} ${date} got)
  expect("time of ${date}" "${got}" "${seconds}")
endforeach()
# The environment's time wins over all.
set(ENV{SOURCE_DATE_EPOCH} 1234567890)
vornic_source_date_epoch(${no_git} 2026-12-07 got)
expect("time from the environment" "${got}" "1234567890")

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} failed")
endif()
message(STATUS "all passed")
