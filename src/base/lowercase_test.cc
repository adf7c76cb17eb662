// The lowercase table checked against the C library's own mapping, for
// every UTF-16 code unit: glibc's built-in C.UTF-8 locale, one unit in and
// one unit out, as the table promises.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <locale.h>
#include <wctype.h>
#endif

#include "base/strings.h"

namespace {

#ifndef _WIN32
// The mapping the table was made from, asked of the C library.
char16_t lowerByLocale(char16_t unit, locale_t locale) {
  if (unit < 0x80) {
    return (unit >= u'A' && unit <= u'Z') ? unit + (u'a' - u'A') : unit;
  }
  if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
  const wint_t lower = towlower_l(static_cast<wint_t>(unit), locale);
  if (lower > 0xFFFF || (lower >= 0xD800 && lower <= 0xDFFF)) return unit;
  return static_cast<char16_t>(lower);
}

TEST(LowerCaseTest, EveryUnitAsTheCLibraryMapsIt) {
  const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  ASSERT_NE(locale, nullptr);
  int differences = 0;
  for (uint32_t u = 0; u <= 0xFFFF; ++u) {
    const auto unit = static_cast<char16_t>(u);
    const char16_t expected = lowerByLocale(unit, locale);
    const Text got = lowerCase(TextView(&unit, 1));
    if (got.size() != 1 || got[0] != expected) {
      if (++differences <= 10) {
        ADD_FAILURE() << "U+" << std::hex << u << ": got "
                      << static_cast<uint32_t>(got[0]) << ", expected "
                      << static_cast<uint32_t>(expected);
      }
    }
  }
  freelocale(locale);
  EXPECT_EQ(differences, 0);
}
#endif

TEST(LowerCaseTest, KeepsTheLengthAndTheUnitsWithoutAForm) {
  // A surrogate pair stays as it is; KELVIN SIGN and the capital I with a
  // dot above map inside the plane; Greek and Cyrillic letters in pairs.
  EXPECT_EQ(lowerCase(u"A\u00C9\u0130\u212A\u0391\u0416z\U0001F600"),
            u"a\u00E9i\u006B\u03B1\u0436z\U0001F600");
  EXPECT_EQ(lowerCase(u"\u0100\u0101\u0102"), u"\u0101\u0101\u0103");
}

}  // namespace
