// lowerCase: the simple Unicode lowercase mapping, one code unit at a time.
//
// The mapping comes from glibc's built-in C.UTF-8 locale, opened once as a
// locale object of its own, so the result never depends on the user's
// LANG/LC_* settings. ASCII is mapped directly; surrogate halves and code
// units without a lowercase form stay as they are.

#include <locale.h>
#include <wctype.h>

#include "base/strings.h"

namespace {

locale_t unicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  return locale;
}

char16_t lowerUnit(char16_t unit) {
  if (unit < 0x80) {
    return (unit >= u'A' && unit <= u'Z') ? unit + (u'a' - u'A') : unit;
  }
  if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
  locale_t locale = unicodeLocale();
  if (locale == nullptr) return unit;
  wint_t lower = towlower_l(static_cast<wint_t>(unit), locale);
  // A one-to-one mapping inside the Basic Multilingual Plane keeps the length.
  if (lower > 0xFFFF || (lower >= 0xD800 && lower <= 0xDFFF)) return unit;
  return static_cast<char16_t>(lower);
}

}  // namespace

Text lowerCase(TextView text) {
  Text result(text);
  for (char16_t& unit : result) unit = lowerUnit(unit);
  return result;
}
