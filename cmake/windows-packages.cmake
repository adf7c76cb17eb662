# What a Windows user downloads: flowsvg-<version>-win64.zip, to unpack
# anywhere, and flowsvg-<version>-win64.exe, a 64-bit installer (for all
# users into "Program Files", or for the current user alone without
# administrator rights) that adds the window to the Start menu, itself to
# the system's list of programs to uninstall, flowsvg.exe to the App Paths
# and, when chosen, the program folder to the user's PATH; it upgrades an
# earlier install in place. The installer is written from
# cmake/NSIS.template.in. Both hold the programs (the command line and the
# window), the README, the sample description and the licence (LICENSE.txt,
# so that Windows opens it). Built by
#   cmake --build build-win64 --target package
# into build-win64/packages. Included from the top-level CMakeLists.txt when
# WIN32 is set.

install(TARGETS flowsvg RUNTIME DESTINATION .)
if(TARGET flowsvg-desktop)
  install(TARGETS flowsvg-desktop RUNTIME DESTINATION .)
endif()
install(FILES README.md examples/sample_flowchart.txt DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_PACKAGE_NAME flowsvg)
set(CPACK_PACKAGE_VENDOR "the flowsvg authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Flowchart SVG Generator: turns a flowchart description into an SVG drawing")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME flowsvg-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Flowchart SVG Generator")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR ZIP NSIS)
# A release build's programs are stripped when linked (windows.cmake);
# stripping again here would stamp them with the time of packing.
set(CPACK_STRIP_FILES OFF)

# The installer: CPack's NSIS generator with a script of our own
# (cmake/NSIS.template.in, found on the module path): a 64-bit installer of
# the 64-bit programs, NSIS's MultiUser choice of all users or the current
# user, an upgrade in place, the PATH option, App Paths. It names the
# window in the Start menu and the uninstall entry by the program's name.
list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake)
set(CPACK_NSIS_PACKAGE_NAME "Flowchart SVG Generator")
set(CPACK_NSIS_MUI_ICON ${FLOWSVG_ICON})
set(CPACK_NSIS_MUI_UNIICON ${FLOWSVG_ICON})

include(CPack)

if(CMAKE_CROSSCOMPILING AND FLOWSVG_TESTS)
  # Builds both packages, then checks the zip's content and installs,
  # runs and uninstalls the installer under Wine.
  add_test(NAME windows_packages
    COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/windows-packages_test.sh
      ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${PROJECT_VERSION}
      ${CMAKE_CROSSCOMPILING_EMULATOR})
  set_tests_properties(windows_packages PROPERTIES
    FIXTURES_REQUIRED wine FIXTURES_SETUP windows_installer TIMEOUT 300
    RUN_SERIAL TRUE)
  # The installer over time, in a Wine prefix of its own with a display:
  # upgrade, cancel, PATH option, per-user install.
  add_test(NAME windows_installer
    COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/windows-installer_test.sh
      ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${PROJECT_VERSION})
  set_tests_properties(windows_installer PROPERTIES
    FIXTURES_REQUIRED windows_installer TIMEOUT 300 RUN_SERIAL TRUE)
endif()
