// Conversion between UTF-8 bytes and UTF-16 texts.
#ifndef FLOWSVG_BASE_UTF8_H_
#define FLOWSVG_BASE_UTF8_H_

#include <string>
#include <string_view>

#include "base/strings.h"

// Decodes UTF-8 (RFC 3629) into UTF-16 code units. Code points above U+FFFF
// become surrogate pairs. Each maximal ill-formed subpart (a lead byte without
// its continuation bytes, an overlong form, an encoded surrogate, a value
// above U+10FFFF, a stray continuation byte) becomes one U+FFFD. The result
// ends before the first U+0000, since a text never holds one.
Text decodeUtf8(std::string_view bytes);

// The same, into out (replacing its content and reusing its storage).
void decodeUtf8Into(std::string_view bytes, Text& out);

// Whether bytes are well-formed UTF-8 (RFC 3629) throughout, so that
// decodeUtf8 replaces nothing in them.
bool isWellFormedUtf8(std::string_view bytes);

// Replaces out's content by the given bytes, all of them ASCII, widened to
// UTF-16 code units.
void widenAsciiInto(std::string_view ascii, Text& out);

// Appends the UTF-8 encoding of text to out. An unpaired surrogate is
// encoded as U+FFFD (EF BF BD); every other code point is written as is.
void appendUtf8(std::string& out, TextView text);

// Writes the encoding of text, as appendUtf8 makes it, to dest, which must
// hold at least MaxUtf8BytesPerUnit x text.size() bytes. Returns the number
// of bytes written.
inline constexpr size_t MaxUtf8BytesPerUnit = 3;
size_t encodeUtf8Into(TextView text, char* dest);

// The UTF-8 encoding of text, as appendUtf8 writes it.
std::string encodeUtf8(TextView text);

// Names the system hands over are bytes that need not be UTF-8. These two
// keep every byte: decodeUtf8Escaped decodes like decodeUtf8 but turns each
// byte of an ill-formed sequence into the lone surrogate U+DC00 + byte
// (U+DC80 to U+DCFF), and encodeUtf8Escaped turns such a surrogate back into
// its byte (any other lone surrogate becomes U+FFFD, EF BF BD). For every
// byte string b without 0x00: encodeUtf8Escaped(decodeUtf8Escaped(b)) == b.
Text decodeUtf8Escaped(std::string_view bytes);
std::string encodeUtf8Escaped(TextView text);

#endif  // FLOWSVG_BASE_UTF8_H_
