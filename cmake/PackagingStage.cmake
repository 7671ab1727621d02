# Run by CPack on the staged files, before it packs them: every package gets
# the same times and permissions, whenever and under whatever umask it is
# made. CPack's zip and NSIS generators take both from the staged files.
if(NOT IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}")
  message(FATAL_ERROR "No staging folder '${CPACK_TEMPORARY_DIRECTORY}'")
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
list(APPEND staged "${CPACK_TEMPORARY_DIRECTORY}")
foreach(path IN LISTS staged)
  if(IS_SYMLINK "${path}")
    continue()
  elseif(IS_DIRECTORY "${path}" OR path MATCHES "/bin/[^/]+$|\\.(exe|dll)$")
    file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                      WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()
if(CMAKE_HOST_UNIX)
  execute_process(COMMAND find "${CPACK_TEMPORARY_DIRECTORY}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
                  COMMAND_ERROR_IS_FATAL ANY)
endif()
