# The command line: flowsvg, and the toolkit-free pieces it shares with the
# desktop window (the sample writer lives in flowsvg_app).
add_library(flowsvg_app STATIC sample_file.cc)
target_link_libraries(flowsvg_app PUBLIC flowsvg_core)

add_library(flowsvg_cli STATIC cli_options.cc)
target_link_libraries(flowsvg_cli PUBLIC flowsvg_core)

add_executable(flowsvg flowsvg_main.cc)
target_link_libraries(flowsvg PRIVATE flowsvg_cli flowsvg_app)
if(NOT FLOWSVG_SANITIZE)
  # The C++ runtime linked in: a one-shot converter starts noticeably faster
  # without resolving libstdc++ at every run.
  target_link_options(flowsvg PRIVATE -static-libstdc++ -static-libgcc)
endif()

flowsvg_test(app_tests cli_options_test.cc sample_file_test.cc)
if(TARGET app_tests)
  target_link_libraries(app_tests PRIVATE flowsvg_cli flowsvg_app)
  target_compile_definitions(app_tests PRIVATE
    FLOWSVG_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()

if(FLOWSVG_TESTS)
  add_test(NAME flowsvg_command_line
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/flowsvg_test.sh
      $<TARGET_FILE:flowsvg> ${PROJECT_SOURCE_DIR})
  add_test(NAME flowsvg_browser_render
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/browser_render_test.sh
      ${PROJECT_SOURCE_DIR})
endif()
