# What building for Windows adds: programs that need only Windows' own DLLs,
# GoogleTest built from Debian's source copy, and the tests run under Wine.
# Included from the top-level CMakeLists.txt when WIN32 is set.

# The C and C++ runtimes and the thread library linked in: each program is
# one .exe. No link time in its header, and a release build stripped as it
# is linked, so that the same sources give the same .exe, the one shipped.
add_link_options(-static -Wl,--no-insert-timestamp
                 $<$<CONFIG:Release,MinSizeRel>:-s>)

if(CMAKE_CROSSCOMPILING AND FLOWSVG_TESTS)
  # Tests run under Wine, in a prefix of their own inside the build folder
  # (created by the wine_prefix test below, once per run). Mono and Gecko
  # are not wanted: nothing here uses .NET or HTML.
  set(FLOWSVG_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(FLOWSVG_WINE_ENV env WINEPREFIX=${FLOWSVG_WINEPREFIX} WINEDEBUG=-all
      WINEDLLOVERRIDES=mscoree,mshtml=)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FLOWSVG_WINE_ENV} wine)
endif()

if(FLOWSVG_TESTS)
  # GoogleTest from its source, built with the same compiler; its own code
  # is not held to our warning rules.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  get_directory_property(flowsvg_saved_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  add_subdirectory(/usr/src/googletest/googletest
                   ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS
                           "${flowsvg_saved_options}")
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()

if(FLOWSVG_TESTS)
  # Holds a file open as another program would, for the command-line test.
  add_executable(hold_file src/testing/hold_file-win32.cc)
  target_link_options(hold_file PRIVATE -municode)
endif()

if(CMAKE_CROSSCOMPILING AND FLOWSVG_TESTS)
  # One prefix per run, made before the first test. Its server is kept
  # running between the tests (each start of a program is quicker then), for
  # at most a minute after the last one should the stop below not come.
  # The server and the prefix's own programs outlive this step: their
  # output goes to a log, so that CTest does not wait for them to close it.
  add_test(NAME wine_prefix
    COMMAND ${FLOWSVG_WINE_ENV} sh -c
      "mkdir -p \"$WINEPREFIX\" && { wineserver -p60 && wine wineboot --init; } >wineprefix.log 2>&1 </dev/null || { cat wineprefix.log; exit 1; }")
  set_tests_properties(wine_prefix PROPERTIES
    FIXTURES_SETUP wine TIMEOUT 300)
  # Asks the server to end and waits until it has (an idle one may have
  # ended already).
  add_test(NAME wine_prefix_stop
    COMMAND ${FLOWSVG_WINE_ENV} sh -c "wineserver -k; wineserver -w")
  set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# Every test under Wine needs the prefix.
function(flowsvg_needs_wine test)
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# The program icon, drawn from the desktop icon's SVG at the sizes Windows
# shows (lists, the taskbar, Explorer's large views) and packed into one
# .ico at build time.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(FLOWSVG_ICON ${CMAKE_BINARY_DIR}/flowsvg.ico)
set(flowsvg_icon_svg
    ${PROJECT_SOURCE_DIR}/data/io.github.flowsvg.FlowsvgDesktop.svg)
set(flowsvg_icon_pngs)
foreach(size 16 24 32 48 64 256)
  set(png ${CMAKE_BINARY_DIR}/icon/flowsvg-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icon
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${flowsvg_icon_svg}
    DEPENDS ${flowsvg_icon_svg} VERBATIM)
  list(APPEND flowsvg_icon_pngs ${png})
endforeach()
add_custom_command(OUTPUT ${FLOWSVG_ICON}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/pack_ico.py
    ${FLOWSVG_ICON} ${flowsvg_icon_pngs}
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/pack_ico.py ${flowsvg_icon_pngs}
  VERBATIM)
add_custom_target(flowsvg_icon DEPENDS ${FLOWSVG_ICON})

# Gives a program its icon, version information and manifest: the console
# programs' cmake/windows.manifest, or the one named after the description.
function(flowsvg_windows_resources target description)
  set(manifest ${PROJECT_SOURCE_DIR}/cmake/windows.manifest)
  if(ARGC GREATER 2)
    set(manifest ${ARGV2})
  endif()
  set(FLOWSVG_RC_NAME ${target})
  set(FLOWSVG_RC_DESCRIPTION ${description})
  set(FLOWSVG_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${manifest} ${FLOWSVG_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows-resources.rc.in ${rc}
                 @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${FLOWSVG_ICON};${FLOWSVG_MANIFEST}")
  add_dependencies(${target} flowsvg_icon)
endfunction()
