# Installation and packages of the Vornic program: a Debian package for the
# Qt 6 build, a zip file and an NSIS installer for the Windows build.
if(TARGET Vornic)

set(vornic_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vornic Project")
set(CPACK_PACKAGE_CONTACT "Vornic Project <vornic@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count the characters of the text on the clipboard")
set(CPACK_PACKAGE_DESCRIPTION [[
Vornic is a small desktop utility that counts characters. Copy a text in
any program, then press the count button in Vornic: it shows the plain text
from the system clipboard in a text box and the number of its characters,
in UTF-16 code units, line breaks not counted.

A text longer than 50000 characters is refused with a message. Two further
buttons clear the display, and the display together with the clipboard.
The window can be switched between Japanese and English.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)

# Reproducible packages: cpack and the tools it runs (the DEB generator,
# strip) see the build's SOURCE_DATE_EPOCH; the staged files get its time and
# fixed permissions; the Debian package's members get fixed modes; SHA256SUMS
# lands beside the packages. Given a certificate, the Windows program and
# installer are signed (PackagingSign.cmake), the sums taken after.
set(vornic_cpack_environment ${PROJECT_BINARY_DIR}/CPackEnvironment.cmake)
file(CONFIGURE OUTPUT ${vornic_cpack_environment}
     CONTENT "set(ENV{SOURCE_DATE_EPOCH} ${VORNIC_SOURCE_DATE_EPOCH})\n")
set(CPACK_PROJECT_CONFIG_FILE ${vornic_cpack_environment})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackagingStage.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackagingDebModes.cmake
                             ${PROJECT_SOURCE_DIR}/cmake/PackagingChecksums.cmake)
if(VORNIC_BACKEND STREQUAL "win32")
  # Signed once stripped and before the staged files get their times.
  list(PREPEND CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackagingSign.cmake)
  list(INSERT CPACK_POST_BUILD_SCRIPTS 1 ${PROJECT_SOURCE_DIR}/cmake/PackagingSign.cmake)
endif()
# The address that publishes the screenshots in docs/screenshots under
# screenshots/, named in the software-centre metadata. Vornic has no site of
# its own yet: a documentation address stands in until one is published.
set(VORNIC_HOMEPAGE "https://example.org/vornic/")

if(VORNIC_BACKEND STREQUAL "qt")
  include(GNUInstallDirs)
  set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

  # Linux commands are lower case; the build keeps the target's own name.
  # install(TARGETS) rather than PROGRAMS, so that --strip reaches it; strip
  # leaves the compiler's notes, which Debian's checks ask to drop too.
  install(TARGETS Vornic RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(CODE "
    set(vornic_bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(RENAME \"\${vornic_bin}/Vornic\" \"\${vornic_bin}/vornic\")
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\${vornic_bin}/vornic\" COMMAND_ERROR_IS_FATAL ANY)
    endif()")

  # Software centres find the desktop entry by the metadata's id.
  set(vornic_app_id org.vornic.Vornic)
  install(FILES ${vornic_packaging_dir}/linux/${vornic_app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${vornic_packaging_dir}/linux/${vornic_app_id}.metainfo.xml.in
                 ${PROJECT_BINARY_DIR}/packaging/${vornic_app_id}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/${vornic_app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/vornic-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vornic.png)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/assets/vornic.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  # A package is built on the Debian release it is for (its libraries' names
  # and versions are that release's), and its version says which, as Debian
  # says it: 1.0.0+deb13. The changelog gains an entry for that build.
  set(VORNIC_DEB_VERSION ${PROJECT_VERSION})
  set(vornic_changelog ${vornic_packaging_dir}/linux/changelog)
  cmake_host_system_information(RESULT vornic_os QUERY DISTRIB_ID DISTRIB_VERSION_ID DISTRIB_VERSION_CODENAME)
  list(GET vornic_os 0 vornic_os_id)
  list(GET vornic_os 1 vornic_os_release)
  list(GET vornic_os 2 vornic_os_codename)
  if(vornic_os_id STREQUAL "debian" AND vornic_os_release MATCHES "^[0-9]+$")
    set(VORNIC_DEB_VERSION ${PROJECT_VERSION}+deb${vornic_os_release})
    # Signed as the release's own entry, the top one, and dated when its
    # sources were (SOURCE_DATE_EPOCH), but never before it: Debian wants each
    # entry later than the one below.
    file(READ ${vornic_changelog} vornic_changelog_text)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${vornic_changelog})
    string(REGEX MATCH "\n -- ([^\n]*>)  ([^\n]*)" vornic_release_signature "${vornic_changelog_text}")
    set(vornic_changelog_signer "${CMAKE_MATCH_1}")
    execute_process(COMMAND date -u -d "${CMAKE_MATCH_2}" +%s OUTPUT_VARIABLE vornic_released
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    math(EXPR vornic_built "${VORNIC_SOURCE_DATE_EPOCH}")
    if(vornic_built LESS_EQUAL vornic_released)
      math(EXPR vornic_built "${vornic_released} + 1")
    endif()
    execute_process(COMMAND date -u -R -d @${vornic_built} OUTPUT_VARIABLE vornic_built_date
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    set(vornic_changelog ${PROJECT_BINARY_DIR}/packaging/changelog)
    file(CONFIGURE OUTPUT ${vornic_changelog} CONTENT "vornic (${VORNIC_DEB_VERSION}) ${vornic_os_codename}; urgency=medium

  * Built for Debian ${vornic_os_release}.

 -- ${vornic_changelog_signer}  ${vornic_built_date}

${vornic_changelog_text}")
  endif()

  # Debian wants the manual page and the changelog gzipped without a time stamp.
  find_program(VORNIC_GZIP gzip REQUIRED)
  set(vornic_gz_dir ${PROJECT_BINARY_DIR}/packaging)
  configure_file(${vornic_packaging_dir}/linux/vornic.1.in ${vornic_gz_dir}/vornic.1 @ONLY)
  add_custom_command(
    OUTPUT ${vornic_gz_dir}/vornic.1.gz ${vornic_gz_dir}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${vornic_gz_dir}
    COMMAND ${VORNIC_GZIP} -9nc ${vornic_gz_dir}/vornic.1 > ${vornic_gz_dir}/vornic.1.gz
    COMMAND ${VORNIC_GZIP} -9nc ${vornic_changelog} > ${vornic_gz_dir}/changelog.gz
    DEPENDS ${vornic_gz_dir}/vornic.1 ${vornic_changelog}
    VERBATIM)
  add_custom_target(vornic_package_docs ALL DEPENDS ${vornic_gz_dir}/vornic.1.gz ${vornic_gz_dir}/changelog.gz)
  install(FILES ${vornic_gz_dir}/vornic.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${vornic_packaging_dir}/linux/copyright ${vornic_gz_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vornic)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME vornic)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_VERSION ${VORNIC_DEB_VERSION})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The xcb platform plug-in lives in libqt6gui6 and is loaded at run time,
  # so no linked library names it. The Qt backend asks for these fonts'
  # Japanese families by name (qt_widgets.cpp), so that kanji keep Japanese
  # forms in every locale. The Wayland plug-in serves sessions without X11.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6gui6, fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  include(CPack)

elseif(VORNIC_BACKEND STREQUAL "win32")
  install(TARGETS Vornic RUNTIME DESTINATION .)
  # The MIT licence asks that its notice travel with every copy.
  install(FILES ${vornic_packaging_dir}/windows/copyright.txt DESTINATION .)

  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_PACKAGE_NAME Vornic)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY Vornic)
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Vornic)
  set(CPACK_PACKAGE_EXECUTABLES Vornic Vornic)
  set(CPACK_RESOURCE_FILE_LICENSE ${vornic_packaging_dir}/windows/copyright.txt)
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
  set(CPACK_NSIS_DISPLAY_NAME Vornic)
  set(CPACK_NSIS_PACKAGE_NAME Vornic)
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/assets/vornic.ico)
  set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/assets/vornic.ico)
  set(CPACK_NSIS_INSTALLED_ICON_NAME Vornic.exe)
  # No "Run Vornic" on the last page: the installer runs with administrator
  # rights, and a program it started would have them too.
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  set(CPACK_NSIS_CONTACT "vornic@example.org")
  # Vornic.exe is 64-bit, so the installer is too (and runs under 64-bit Wine).
  # No file times in the installer: CPack writes some of its files (the
  # options page) while it packs.
  set(CPACK_NSIS_DEFINES "Target amd64-unicode\nSetDateSave off")
  include(CPack)
endif()

endif()
