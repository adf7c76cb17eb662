# The desktop window. Its logic (flowsvg_shell) is toolkit-free and built in
# every configuration, so its tests run in the sanitizer build too; only the
# wxWidgets adapter, the flowsvg-desktop program and the test of the real
# window under Xvfb need FLOWSVG_DESKTOP.
add_library(flowsvg_shell STATIC shell.cc launch.cc)
target_link_libraries(flowsvg_shell PUBLIC flowsvg_app flowsvg_core)

flowsvg_test(shell_tests shell_test.cc launch_test.cc)
if(TARGET shell_tests)
  target_link_libraries(shell_tests PRIVATE flowsvg_shell)
endif()

if(FLOWSVG_DESKTOP)
  find_package(wxWidgets REQUIRED COMPONENTS core base)
  include(${wxWidgets_USE_FILE})
  add_executable(flowsvg-desktop desktop_main.cc toolkit-wx.cc)
  target_link_libraries(flowsvg-desktop PRIVATE flowsvg_shell
                        ${wxWidgets_LIBRARIES})

  if(FLOWSVG_TESTS)
    # Sends a window a close request, and captures what it shows.
    find_package(X11 REQUIRED)
    add_executable(x11_window_helper x11_window_helper.cc)
    target_link_libraries(x11_window_helper PRIVATE X11::X11)

    add_test(NAME desktop_window
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/desktop_window_test.sh
        $<TARGET_FILE:flowsvg-desktop> $<TARGET_FILE:flowsvg>
        $<TARGET_FILE:x11_window_helper>
        ${CMAKE_CURRENT_BINARY_DIR}/desktop-window-test)
    set_tests_properties(desktop_window PROPERTIES TIMEOUT 60)
  endif()
endif()
