# Two builds of one commit give byte-identical programs and packages, in any
# folder, at any time and under any umask.

vornic_source_date_epoch(${PROJECT_SOURCE_DIR} ${VORNIC_RELEASE_DATE} VORNIC_SOURCE_DATE_EPOCH)
# A new commit moves the time: configure again when HEAD moves.
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} rev-parse --absolute-git-dir
                  OUTPUT_VARIABLE vornic_git_dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0 AND EXISTS ${vornic_git_dir}/logs/HEAD)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${vornic_git_dir}/logs/HEAD)
  endif()
endif()

# Tools the build runs (rcc, for one) stamp this time, not the files' times.
set_property(GLOBAL PROPERTY RULE_LAUNCH_CUSTOM "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VORNIC_SOURCE_DATE_EPOCH}")

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # No build folder in the objects: names relative to the source tree.
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/= -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
endif()
if(MINGW)
  # No link time in the PE header.
  add_link_options(-Wl,--no-insert-timestamp)
endif()
