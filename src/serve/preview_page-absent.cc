// A build without the web part: no page, so no preview.
#include "serve/preview_page.h"

bool previewPageAvailable() { return false; }

std::string_view previewPage() { return {}; }

std::string_view previewPagePolicy() { return {}; }
