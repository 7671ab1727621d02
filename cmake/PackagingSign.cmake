# Run by CPack twice when the environment names a code-signing certificate
# and its key (VORNIC_SIGNING_CERT, VORNIC_SIGNING_KEY, PEM or DER files):
# before packing, on the staged Vornic.exe, so that the zip file and the
# installer carry it signed; after, on the installer. Without them nothing is
# signed and the packages stay byte for byte the same. The signature is
# dated SOURCE_DATE_EPOCH, so two signings of one build are the same too.
# Optional: VORNIC_SIGNING_PASSWORD_FILE holds the key's password, and
# VORNIC_SIGNING_TIMESTAMP_URL names an RFC 3161 time-stamp server, which
# keeps the signature valid after the certificate expires.
set(cert "$ENV{VORNIC_SIGNING_CERT}")
set(key "$ENV{VORNIC_SIGNING_KEY}")
if(cert STREQUAL "" AND key STREQUAL "")
  return()
endif()
foreach(file IN ITEMS "${cert}" "${key}")
  if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
    message(FATAL_ERROR "Signing needs both VORNIC_SIGNING_CERT and VORNIC_SIGNING_KEY to name files; got '${cert}' and '${key}'")
  endif()
endforeach()
find_program(VORNIC_OSSLSIGNCODE osslsigncode)
if(NOT VORNIC_OSSLSIGNCODE)
  message(FATAL_ERROR "Signing needs osslsigncode (bash scripts/setup.sh test installs it)")
endif()

set(options -certs "${cert}" -key "${key}" -h sha256 -n Vornic -time "$ENV{SOURCE_DATE_EPOCH}")
if(NOT "$ENV{VORNIC_SIGNING_PASSWORD_FILE}" STREQUAL "")
  list(APPEND options -readpass "$ENV{VORNIC_SIGNING_PASSWORD_FILE}")
endif()
if(NOT "$ENV{VORNIC_SIGNING_TIMESTAMP_URL}" STREQUAL "")
  list(APPEND options -ts "$ENV{VORNIC_SIGNING_TIMESTAMP_URL}")
endif()

# Packages exist only after packing: before it, the staged program.
if(DEFINED CPACK_PACKAGE_FILES)
  set(unsigned "")
  foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.exe$")
      list(APPEND unsigned "${package}")
    endif()
  endforeach()
else()
  file(GLOB_RECURSE unsigned "${CPACK_TEMPORARY_DIRECTORY}/*.exe")
endif()
foreach(file IN LISTS unsigned)
  execute_process(COMMAND "${VORNIC_OSSLSIGNCODE}" sign ${options} -in "${file}" -out "${file}.signed"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(RENAME "${file}.signed" "${file}")
  message(STATUS "signed: ${file}")
endforeach()
