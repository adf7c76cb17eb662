#include "base/path_text.h"

Text folderPart(TextView path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (isSeparator(path[i - 1])) return Text(path.substr(0, i));
  }
  return Text();
}

Text extensionPart(TextView path) {
  for (size_t i = path.size(); i > 0; --i) {
    char16_t c = path[i - 1];
    if (isSeparator(c) || c == u' ') return Text();
    if (c == u'.') {
      bool atStart = i == 1;
      bool afterSeparator = i >= 2 && isSeparator(path[i - 2]);
      if (atStart || afterSeparator) return Text();
      return Text(path.substr(i));
    }
  }
  return Text();
}

namespace {

// Whether a terminal or a text view would act on c instead of showing it: a
// C1 control, a bidirectional formatting character (which reorders what
// follows it) or a line or paragraph separator.
bool isHiddenFormatting(char16_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E ||
         c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
}

}  // namespace

Text shownPath(TextView path) {
  Text shown;
  shown.reserve(path.size());
  appendShownPath(shown, path);
  return shown;
}

void appendShownPath(Text& out, TextView path) {
  constexpr char16_t kHex[] = u"0123456789abcdef";
  constexpr char16_t kUpperHex[] = u"0123456789ABCDEF";
  for (size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    if (c < 0x20 || c == 0x7F) {
      out += u"\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    } else if (isHiddenFormatting(c)) {
      out += u"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) {
        out.push_back(kUpperHex[(c >> shift) & 0xF]);
      }
    } else if (c >= 0xDC80 && c <= 0xDCFF &&
               (i == 0 || path[i - 1] < 0xD800 || path[i - 1] > 0xDBFF)) {
      out.push_back(u'\uFFFD');  // a byte that is not UTF-8
    } else {
      out.push_back(c);
    }
  }
}
