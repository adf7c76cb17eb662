#include "base/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Test, DecodesWellFormedInput) {
  EXPECT_EQ(decodeUtf8("abc"), u"abc");
  EXPECT_EQ(decodeUtf8("caf\xC3\xA9"), u"caf\u00E9");
  EXPECT_EQ(decodeUtf8("\xE4\xB8\xAD"), u"\u4E2D");
  EXPECT_EQ(decodeUtf8("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(decodeUtf8("\xEF\xBB\xBF["), u"\uFEFF[");
}

TEST(Utf8Test, OneReplacementPerMaximalIllFormedSubpart) {
  struct Case {
    std::string bytes;
    Text text;
  };
  const Case cases[] = {
      {"\x80", u"\uFFFD"},                                // stray continuation
      {"\xC3", u"\uFFFD"},                                // truncated at end
      {"\xC3x", u"\uFFFDx"},                              // lead then ASCII
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong 2-byte
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong 3-byte
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xE2\x82", u"\uFFFD"},                            // 2 of 3 bytes
      {"\xF0\x9F\x98x", u"\uFFFDx"},                      // 3 of 4 bytes
      {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xE9\r\nx", u"\uFFFD\r\nx"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decodeUtf8(c.bytes), c.text) << c.bytes;
  }
}

TEST(Utf8Test, TextEndsBeforeNul) {
  EXPECT_EQ(decodeUtf8(std::string("ab\0cd", 5)), u"ab");
  EXPECT_EQ(decodeUtf8(std::string("\xC3\0x", 3)), u"\uFFFD");
}

TEST(Utf8Test, EncodesAndReplacesLoneSurrogates) {
  EXPECT_EQ(encodeUtf8(u""), "");
  EXPECT_EQ(encodeUtf8(u"\u00E9"), "\xC3\xA9");
  EXPECT_EQ(encodeUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(encodeUtf8(Text(1, char16_t(0xD83D))), "\xEF\xBF\xBD");
  EXPECT_EQ(encodeUtf8(Text{char16_t(0xDE00), u'a'}),
            "\xEF\xBF\xBD"
            "a");
  // ASCII blocks of every length around characters of every width, so the
  // block-wise fast path meets them at every offset.
  for (size_t before = 0; before < 20; ++before) {
    for (const Text& odd : {Text(u"\u00E9"), Text(u"\u4E2D"),
                            Text(u"\U0001F600"), Text(1, char16_t(0xDC00))}) {
      Text text = Text(before, u'a') + odd + Text(before % 9, u'z');
      std::string expected =
          std::string(before, 'a') +
          (odd[0] == 0xDC00 ? "\xEF\xBF\xBD" : encodeUtf8(odd)) +
          std::string(before % 9, 'z');
      EXPECT_EQ(encodeUtf8(text), expected) << before;
      if (odd[0] != 0xDC00) {
        EXPECT_EQ(decodeUtf8(expected), text) << before;
      }
    }
  }
  // Round trip of every BMP code point outside the surrogate range.
  Text all;
  for (char32_t c = 1; c <= 0xFFFF; ++c) {
    if (c < 0xD800 || c > 0xDFFF) all.push_back(static_cast<char16_t>(c));
  }
  EXPECT_EQ(decodeUtf8(encodeUtf8(all)), all);
}

}  // namespace
