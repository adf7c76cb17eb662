// lowerCase on Windows: the simple Unicode lowercase mapping of the
// invariant locale (LCMapStringEx), one code unit at a time, so the result
// never depends on the user's language settings.
#include <windows.h>

#include "base/strings.h"

namespace {

char16_t lowerUnit(char16_t unit) {
  if (unit < 0x80) {
    return (unit >= u'A' && unit <= u'Z') ? unit + (u'a' - u'A') : unit;
  }
  if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
  wchar_t in = static_cast<wchar_t>(unit);
  wchar_t out = 0;
  // One unit in, one unit out: a mapping that would change the length is
  // refused by the one-unit buffer, and the unit stays as it is.
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, &in, 1, &out, 1,
                    nullptr, nullptr, 0) != 1) {
    return unit;
  }
  if (out >= 0xD800 && out <= 0xDFFF) return unit;
  return static_cast<char16_t>(out);
}

}  // namespace

Text lowerCase(TextView text) {
  Text result(text);
  for (char16_t& unit : result) unit = lowerUnit(unit);
  return result;
}
