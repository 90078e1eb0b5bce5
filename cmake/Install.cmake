# Installation and the Debian package.
#   cmake --install build --prefix /usr/local
#   cd build && cpack -G DEB
# Programs into bin/, the message catalogs into share/locale, the help page
# and pictures into share/morva_reporter, the icons into the hicolor theme and
# the desktop entry into share/applications.
include(GNUInstallDirs)

set(MORVA_DATA_DIR "${CMAKE_INSTALL_DATADIR}/morva_reporter")
set(MORVA_RESOURCES "${PROJECT_SOURCE_DIR}/app/resources")
set(MORVA_ICON_SIZES 16 32 48 64 128 256)

# The window, and the desktop entry that starts it, come with the window's target.
if(TARGET morva_reporter)
  install(TARGETS morva_reporter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES "${MORVA_RESOURCES}/morva_reporter.desktop"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
install(TARGETS morva_reporter_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET morva_unit_sim)
  install(TARGETS morva_unit_sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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

# Debian package
set(CPACK_PACKAGE_NAME "morva-reporter")
set(CPACK_PACKAGE_VENDOR "MORVA Software")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "downloads a measuring unit's nonvolatile memory into a report")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "MORVA_Reporter reads the nonvolatile memory of a measuring unit over a\n"
    "serial port into an RTF, HTML, text or tab-separated report, and clears\n"
    "that memory on request. It comes as a desktop window (morva_reporter) and\n"
    "a headless reader (morva_reporter_cli), in English, Russian and Ukrainian,\n"
    "with a simulated unit (morva_unit_sim) for trying it out.")
set(CPACK_PACKAGE_CONTACT "MORVA_Reporter maintainers <maintainers@morva-reporter.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The wx libraries and the C++ runtime come from dpkg-shlibdeps; the toolkit's
# own translations (wxstd) and the opener of reports and help are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "wx3.2-i18n, xdg-utils")
include(CPack)
