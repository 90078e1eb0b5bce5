# Installation and the Debian package.
#   cmake --install build --prefix /usr/local
#   cmake --build build --target package (the .deb; or: cd build && cpack -G DEB)
# Programs into bin/, their manual pages into share/man/man1, the message
# catalogs into share/locale, the help page and pictures into
# share/morva_reporter, the icons into the hicolor theme, the desktop entry
# into share/applications, its AppStream metadata into share/metainfo, the
# web view's systemd unit into lib/systemd/system, and the copyright,
# changelog and lintian overrides where Debian keeps them.
include(GNUInstallDirs)
include(Manpages)

set(MORVA_PACKAGE_NAME "morva-reporter")
set(MORVA_DATA_DIR "${CMAKE_INSTALL_DATADIR}/morva_reporter")
set(MORVA_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/${MORVA_PACKAGE_NAME}")
set(MORVA_PACKAGING "${PROJECT_SOURCE_DIR}/packaging")
set(MORVA_RESOURCES "${PROJECT_SOURCE_DIR}/app/resources")
set(MORVA_ICON_SIZES 16 32 48 64 128 256)
# The window's AppStream id and desktop entry name: the reverse of the
# project's domain, morva-reporter.invalid, and the program's name.
set(MORVA_APP_ID "invalid.morva_reporter.morva_reporter")
set(MORVA_HOMEPAGE "https://morva-reporter.invalid/")

set(CPACK_PACKAGE_VENDOR "MORVA Software")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "MORVA_Reporter reads the nonvolatile memory of a measuring unit over a\n"
    "serial port into an RTF, HTML, text or tab-separated report, and clears\n"
    "that memory on request. It comes as a desktop window (morva_reporter) and\n"
    "a headless reader (morva_reporter_cli), in English, Russian and Ukrainian,\n"
    "with a simulated unit (morva_unit_sim) for trying it out.")

# The changelog's latest entry is the version being packaged; its date (in
# UTC) is the release's. dpkg-parsechangelog (dpkg-dev) reads the entry.
find_program(MORVA_DPKG_PARSECHANGELOG dpkg-parsechangelog REQUIRED)
find_program(MORVA_DATE date REQUIRED)
set(changelog_source "${MORVA_PACKAGING}/debian/changelog")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${changelog_source}")
foreach(field Version Date)
  execute_process(COMMAND ${MORVA_DPKG_PARSECHANGELOG} -l "${changelog_source}" -S ${field}
                  OUTPUT_VARIABLE changelog_${field} OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR changelog_${field} STREQUAL "")
    message(FATAL_ERROR "packaging/debian/changelog: no ${field} in the latest entry: ${errors}")
  endif()
endforeach()
if(NOT changelog_Version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/debian/changelog: the latest entry is ${changelog_Version}, "
                      "not ${PROJECT_VERSION}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
                        ${MORVA_DATE} --utc --date=${changelog_Date} +%Y-%m-%d
                OUTPUT_VARIABLE MORVA_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "packaging/debian/changelog: the date '${changelog_Date}' is no date: ${errors}")
endif()

# The window, and the desktop entry and metadata that present it, come with
# the window's target.
if(TARGET morva_reporter)
  install(TARGETS morva_reporter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES "${MORVA_RESOURCES}/morva_reporter.desktop"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          RENAME ${MORVA_APP_ID}.desktop)
  set(metainfo "${CMAKE_BINARY_DIR}/${MORVA_APP_ID}.metainfo.xml")
  configure_file("${MORVA_PACKAGING}/morva_reporter.metainfo.xml.in" "${metainfo}" @ONLY)
  install(FILES "${metainfo}" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  morva_add_manpage(morva_reporter "window to download a measuring unit's memory into a report")
endif()
install(TARGETS morva_reporter_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
morva_add_manpage(morva_reporter_cli "download a measuring unit's memory into a report, or clear it")
if(TARGET morva_unit_sim)
  install(TARGETS morva_unit_sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  morva_add_manpage(morva_unit_sim "simulated measuring unit on a pseudo-terminal")
endif()

# Compiled catalogs: <lang>/LC_MESSAGES/<domain>.mo
install(DIRECTORY "${CMAKE_BINARY_DIR}/locale/" DESTINATION ${CMAKE_INSTALL_LOCALEDIR}
        FILES_MATCHING PATTERN "*.mo")

install(DIRECTORY "${PROJECT_SOURCE_DIR}/help" DESTINATION ${MORVA_DATA_DIR})
install(FILES "${MORVA_RESOURCES}/about.png" "${MORVA_RESOURCES}/morva_reporter.svg"
        DESTINATION ${MORVA_DATA_DIR})
foreach(size IN LISTS MORVA_ICON_SIZES)
  install(FILES "${MORVA_RESOURCES}/morva_reporter_${size}.png"
          DESTINATION ${MORVA_DATA_DIR})
  install(FILES "${MORVA_RESOURCES}/morva_reporter_${size}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME morva_reporter.png)
endforeach()
install(FILES "${MORVA_RESOURCES}/morva_reporter.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES "${PROJECT_SOURCE_DIR}/tools/sample-memory.txt" DESTINATION ${MORVA_DATA_DIR})

# The web view as a system service: the unit, installed but neither enabled
# nor started (the package has no maintainer scripts), its reader the one
# installed with it whatever the prefix. Written for each destination apart,
# so that installs side by side (the package's and another prefix's) do not
# share it.
if(NOT WIN32)
  set(unit "${MORVA_PACKAGING}/debian/morva-reporter-serve.service")
  install(CODE "
    file(READ \"${unit}\" unit)
    string(REPLACE \"/usr/bin/morva_reporter_cli\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/morva_reporter_cli\"
           unit \"\${unit}\")
    string(MD5 destination \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    set(staged \"${CMAKE_BINARY_DIR}/systemd-\${destination}/morva-reporter-serve.service\")
    file(WRITE \"\${staged}\" \"\${unit}\")
    file(INSTALL \"\${staged}\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/system\"
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  ")
endif()

# Debian's files about the package: the copyright, the changelog (compressed
# as Debian does, without name or time) and the overrides of lintian's notes.
if(NOT CMAKE_CROSSCOMPILING)
  set(changelog "${CMAKE_BINARY_DIR}/changelog.gz")
  add_custom_command(OUTPUT "${changelog}"
    COMMAND ${MORVA_GZIP} -9nc "${MORVA_PACKAGING}/debian/changelog" > "${changelog}"
    DEPENDS "${MORVA_PACKAGING}/debian/changelog"
    COMMENT "Compressing the changelog")
  add_custom_target(changelog ALL DEPENDS "${changelog}")
  install(FILES "${changelog}" "${MORVA_PACKAGING}/debian/copyright" DESTINATION ${MORVA_DOC_DIR})
  install(FILES "${MORVA_PACKAGING}/debian/lintian-overrides"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${MORVA_PACKAGE_NAME})
endif()

# Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME "${MORVA_PACKAGE_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "downloads a measuring unit's nonvolatile memory into a report")
set(CPACK_PACKAGE_CONTACT "MORVA_Reporter maintainers <maintainers@morva-reporter.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_STRIP "${CMAKE_STRIP}")
set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/PackageStrip.cmake")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The wx libraries and the C++ runtime come from dpkg-shlibdeps; the toolkit's
# own translations (wxstd) and the opener of reports and help are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "wx3.2-i18n, xdg-utils")
include(CPack)
