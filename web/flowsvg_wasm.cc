// The converter for JavaScript: plain C functions exported from the
// WebAssembly module, used by web/src/core.js (the page and the npm package).
//
// JavaScript copies the description's bytes and the timestamp into blocks
// from flowsvg_alloc, calls flowsvg_convert, reads the result through the
// accessors (texts as a std::string's data and size) and frees it with
// flowsvg_result_free. A conversion that runs out of memory gives a null
// result, never an abort: the module stays usable for the next description.
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "flowsvg/flowsvg.h"

#define FLOWSVG_EXPORT extern "C" __attribute__((used, visibility("default")))

using flowsvg::Result;

FLOWSVG_EXPORT void* flowsvg_alloc(size_t size) {
  return std::malloc(size == 0 ? 1 : size);
}

FLOWSVG_EXPORT void flowsvg_free(void* block) { std::free(block); }

// Converts size bytes at description, with timestamp (timestampSize bytes)
// as flowsvg::Options::timestamp and accessible (0 or 1) as its accessible.
// Null when memory ran out.
FLOWSVG_EXPORT Result* flowsvg_convert(const char* description, size_t size,
                                       const char* timestamp,
                                       size_t timestampSize, int accessible) {
  try {
    flowsvg::Options options;
    options.timestamp.assign(timestamp, timestampSize);
    options.accessible = accessible != 0;
    auto result = std::make_unique<Result>(
        flowsvg::convert(std::string_view(description, size), options));
    // The page checks the timestamp first: what is left is memory.
    if (!result->error.empty()) return nullptr;
    return result.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

FLOWSVG_EXPORT void flowsvg_result_free(Result* result) { delete result; }

FLOWSVG_EXPORT const std::string* flowsvg_result_svg(const Result* result) {
  return &result->svg;
}
FLOWSVG_EXPORT int flowsvg_result_sections(const Result* result) {
  return result->sections;
}
FLOWSVG_EXPORT int flowsvg_result_items(const Result* result) {
  return result->items;
}
FLOWSVG_EXPORT int flowsvg_result_more_warnings(const Result* result) {
  return result->moreWarnings;
}
FLOWSVG_EXPORT int flowsvg_result_warning_count(const Result* result) {
  return static_cast<int>(result->warnings.size());
}
// The line and the message of warning index (0 <= index < count).
FLOWSVG_EXPORT int flowsvg_result_warning_line(const Result* result,
                                               int index) {
  return result->warnings[static_cast<size_t>(index)].line;
}
FLOWSVG_EXPORT const std::string* flowsvg_result_warning_message(
    const Result* result, int index) {
  return &result->warnings[static_cast<size_t>(index)].message;
}

// The sample description's bytes, to be freed with flowsvg_text_free. Null
// when memory ran out.
FLOWSVG_EXPORT std::string* flowsvg_sample() {
  try {
    return new std::string(flowsvg::sampleDescription());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

FLOWSVG_EXPORT const char* flowsvg_text_data(const std::string* text) {
  return text->data();
}
FLOWSVG_EXPORT size_t flowsvg_text_size(const std::string* text) {
  return text->size();
}
FLOWSVG_EXPORT void flowsvg_text_free(std::string* text) { delete text; }
