# Writes a C++ source that holds the preview page and its policy, for
# src/serve/preview_page.h. Run as a build step:
#   cmake -DPAGE=flowsvg.html -DPOLICY=policy.txt -DOUT=file.cc -P this
# The bytes become string literals of \xNN escapes, 64 bytes a line, so that
# every byte (NUL, quotes, non-ASCII) comes through as it is.
foreach(name PAGE POLICY OUT)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "embed_preview_page.cmake needs -D${name}=...")
  endif()
endforeach()

function(as_literal file variable)
  file(READ ${file} hex HEX)
  if(hex STREQUAL "")
    message(FATAL_ERROR "${file} is empty")
  endif()
  string(REGEX REPLACE "(................................................................................................................................)"
         "\\1\"\n    \"" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" hex "${hex}")
  set(${variable} "    \"${hex}\"" PARENT_SCOPE)
endfunction()

as_literal(${PAGE} page)
as_literal(${POLICY} policy)
file(WRITE ${OUT}.new "// Generated from ${PAGE} by cmake/embed_preview_page.cmake.
#include \"serve/preview_page.h\"

#pragma GCC diagnostic ignored \"-Woverlength-strings\"

namespace {

constexpr char kPage[] =
${page};

constexpr char kPolicy[] =
${policy};

}  // namespace

bool previewPageAvailable() { return true; }

std::string_view previewPage() { return {kPage, sizeof kPage - 1}; }

std::string_view previewPagePolicy() {
  return {kPolicy, sizeof kPolicy - 1};
}
")
file(RENAME ${OUT}.new ${OUT})
