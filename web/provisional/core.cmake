# The converter's sources as the WebAssembly module needs them, on today's
# tree: the text, model and render code that reads a description and writes
# its drawing, with the in-memory file functions and flowsvg::convert of
# web/provisional in place of the platform's file code.
set(flowsvg_root ${CMAKE_CURRENT_SOURCE_DIR}/..)
configure_file(${flowsvg_root}/src/text/version.h.in
  ${PROJECT_BINARY_DIR}/generated/text/version.h @ONLY)
add_library(flowsvg_web_core STATIC
  ${flowsvg_root}/src/text/strings.cc
  ${flowsvg_root}/src/text/utf8.cc
  ${flowsvg_root}/src/text/text_file.cc
  ${flowsvg_root}/src/text/paths.cc
  ${flowsvg_root}/src/text/clock.cc
  ${flowsvg_root}/src/text/clock-posix.cc
  ${flowsvg_root}/src/model/flowchart.cc
  ${flowsvg_root}/src/model/parser.cc
  ${flowsvg_root}/src/model/description_warnings.cc
  ${flowsvg_root}/src/model/text_width.cc
  ${flowsvg_root}/src/render/layout.cc
  ${flowsvg_root}/src/render/svg_document.cc
  ${flowsvg_root}/src/render/item_boxes.cc
  ${flowsvg_root}/src/render/connectors.cc
  provisional/memory_files.cc
  provisional/flowsvg_api.cc)
target_include_directories(flowsvg_web_core PUBLIC
  ${flowsvg_root}/include ${flowsvg_root}/src ${PROJECT_BINARY_DIR}/generated)
# libc++ 14 lacks std::make_unique_for_overwrite, which text_file.cc uses.
target_compile_options(flowsvg_web_core PUBLIC
  -include ${CMAKE_CURRENT_SOURCE_DIR}/provisional/libcxx_compat.h)
