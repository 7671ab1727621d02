# Everything that carries Vornic's version takes it from project(VERSION):
# the Debian package, the metainfo release, the manual page and the Windows
# version record and manifest. Functions only, so tests can run them alone.

# Windows shows a version as MAJOR.MM: the minor number in two digits, as the
# version records of Vornic have always read ("1.00" for 1.0.0). A patch
# number other than 0 follows after a dot: 1.2.3 gives "1.02.3". The numeric
# record is MAJOR,MINOR,PATCH,0.
function(vornic_windows_version version out_string out_numbers)
  if(NOT version MATCHES "^(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)$")
    message(FATAL_ERROR "Version '${version}' is not MAJOR.MINOR.PATCH")
  endif()
  set(major ${CMAKE_MATCH_1})
  set(minor ${CMAKE_MATCH_2})
  set(patch ${CMAKE_MATCH_3})
  foreach(part major minor patch)
    # The numeric record holds 16 bits a part; more digits would not read back.
    if(${part} GREATER 65535)
      message(FATAL_ERROR "Version '${version}': ${part} ${${part}} does not fit a Windows version record")
    endif()
  endforeach()
  if(minor GREATER 99)
    message(FATAL_ERROR "Version '${version}': the minor number must have at most two digits")
  endif()
  if(minor LESS 10)
    set(minor_digits 0${minor})
  else()
    set(minor_digits ${minor})
  endif()
  set(text ${major}.${minor_digits})
  if(NOT patch EQUAL 0)
    string(APPEND text .${patch})
  endif()
  set(${out_string} ${text} PARENT_SCOPE)
  set(${out_numbers} "${major},${minor},${patch},0" PARENT_SCOPE)
endfunction()

# The time every build of one commit stamps into its packages: the
# environment's SOURCE_DATE_EPOCH if set, else the last commit's time, else
# (a source tree without git) the release date, so a build never stamps the
# clock's time.
function(vornic_source_date_epoch source_dir release_date out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
  else()
    find_package(Git QUIET)
    if(GIT_FOUND)
      execute_process(COMMAND ${GIT_EXECUTABLE} -C ${source_dir} log -1 --format=%ct
                      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                      RESULT_VARIABLE status ERROR_QUIET)
      if(NOT status EQUAL 0)
        set(epoch "")
      endif()
    endif()
    if(NOT epoch)
      # Seconds at midnight UTC of the release date: days from the civil
      # date by Howard Hinnant's algorithm.
      if(NOT release_date MATCHES "^([0-9]+)-([0-9]+)-([0-9]+)$")
        message(FATAL_ERROR "Release date '${release_date}' is not YYYY-MM-DD")
      endif()
      set(y ${CMAKE_MATCH_1})
      math(EXPR m "${CMAKE_MATCH_2}")
      math(EXPR d "${CMAKE_MATCH_3}")
      if(m LESS_EQUAL 2)
        math(EXPR y "${y} - 1")
      endif()
      math(EXPR era "${y} / 400")
      math(EXPR yoe "${y} - ${era} * 400")
      if(m GREATER 2)
        math(EXPR mp "${m} - 3")
      else()
        math(EXPR mp "${m} + 9")
      endif()
      math(EXPR doy "(153 * ${mp} + 2) / 5 + ${d} - 1")
      math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
      math(EXPR epoch "(${era} * 146097 + ${doe} - 719468) * 86400")
    endif()
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH '${epoch}' is not a number of seconds")
  endif()
  set(${out} ${epoch} PARENT_SCOPE)
endfunction()
