# What a Windows user downloads: flowsvg-<version>-win64.zip, to unpack
# anywhere, and flowsvg-<version>-win64.exe, a 64-bit installer into
# "Program Files" that adds the window to the Start menu and itself to the
# system's list of programs to uninstall. Both hold the programs (the
# command line and the window), the README, the sample description and the
# licence. Built by
#   cmake --build build-win64 --target package
# into build-win64/packages. Included from the top-level CMakeLists.txt when
# WIN32 is set.

install(TARGETS flowsvg RUNTIME DESTINATION .)
if(TARGET flowsvg-desktop)
  install(TARGETS flowsvg-desktop RUNTIME DESTINATION .)
endif()
install(FILES README.md LICENSE examples/sample_flowchart.txt
        DESTINATION .)

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

# The installer itself is a 64-bit program installing into the 64-bit
# program folder: the default 32-bit one does not even start on a 64-bit-only
# Windows (or Wine), and would put a 64-bit program among the 32-bit ones.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Flowchart SVG Generator")
set(CPACK_NSIS_DISPLAY_NAME "Flowchart SVG Generator ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON ${FLOWSVG_ICON})
set(CPACK_NSIS_MUI_UNIICON ${FLOWSVG_ICON})
if(TARGET flowsvg-desktop)
  # The window in the Start menu, under the program's name; it beside the
  # uninstaller in the list of programs. The programs lie in the
  # installation folder itself.
  set(CPACK_PACKAGE_EXECUTABLES "flowsvg-desktop;Flowchart SVG Generator")
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
  set(CPACK_NSIS_INSTALLED_ICON_NAME flowsvg-desktop.exe)
else()
  set(CPACK_NSIS_INSTALLED_ICON_NAME flowsvg.exe)
endif()
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# PATH is left alone: the installer's PATH editing gives up on a long PATH,
# and the README tells how to add the folder.
set(CPACK_NSIS_MODIFY_PATH OFF)

include(CPack)

if(CMAKE_CROSSCOMPILING AND FLOWSVG_TESTS)
  # Builds both packages, then checks the zip's content and installs,
  # runs and uninstalls the installer under Wine.
  add_test(NAME windows_packages
    COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/windows-packages_test.sh
      ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${PROJECT_VERSION}
      ${CMAKE_CROSSCOMPILING_EMULATOR})
  set_tests_properties(windows_packages PROPERTIES
    FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE)
endif()
