#include "platform/paths.h"

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
