// The browser page that the preview server serves at GET / (flowsvg --serve
// and the window's Preview): the page of web/src in its file mode, built by
// scripts/web.sh into build-web/serve/ and put into the program when it is
// built (a generated source, see src/serve/CMakeLists.txt).
//
// A build made without the web part (no emscripten or npm on the build
// machine) has no page: previewPageAvailable() is false there, previewPage()
// and previewPagePolicy() are empty, and --serve and Preview say
// wording::ServeUnavailable.
#ifndef FLOWSVG_SERVE_PREVIEW_PAGE_H_
#define FLOWSVG_SERVE_PREVIEW_PAGE_H_

#include <string_view>

// Whether this build holds the page.
bool previewPageAvailable();

// The page: one HTML file, its script, styles and WebAssembly inline.
std::string_view previewPage();

// The Content-Security-Policy the page is served with: the one its own
// <meta> element holds (its script and styles by hash, 'wasm-unsafe-eval',
// and connect-src 'self' for the description and its events).
std::string_view previewPagePolicy();

#endif  // FLOWSVG_SERVE_PREVIEW_PAGE_H_
