#include "base/line_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Lines built in place, written whole, and a line's start kept for the next
// one, across growth of the buffer, come out as the same CR LF lines.
TEST(LineBufferTest, LinesBuiltInPlaceAndWrittenWholeKeepTheirOrder) {
  LineBuffer buffer;
  std::string want;
  for (int k = 0; k < 2000; ++k) {
    const std::string line(static_cast<size_t>(k % 97) * 50, 'a' + k % 26);
    LineRoom room = buffer.lineRoom(0, 0);
    size_t used = 0;
    for (char c : line) {
      if (used + 1 > room.size) room = buffer.lineRoom(used, 1);
      room.start[used++] = c;
    }
    buffer.endLineInPlace(used);
    want += line + "\r\n";
    buffer.writeLine(u"caf\u00E9");
    buffer.writeEncodedLine("x");
    want += "caf\xC3\xA9\r\nx\r\n";
  }
  // Two lines in one go, the second's start kept for the next call.
  LineRoom room = buffer.lineRoom(0, 8);
  std::memcpy(room.start, "ab\r\ncd\r\nef", 10);
  buffer.endLineInPlace(6, 2);
  room = buffer.lineRoom(2, 1);
  EXPECT_EQ(std::string(room.start, 2), "ef");
  room.start[2] = 'g';
  buffer.endLineInPlace(3);
  want += "ab\r\ncd\r\nefg\r\n";
  EXPECT_EQ(buffer.bytes(), want);
  EXPECT_EQ(buffer.take(), want);
  EXPECT_EQ(buffer.bytes(), "");
}

// Lines handed to a sink come out the same, in pieces of at most the
// buffer's room, except a line longer than that.
TEST(LineBufferTest, ASinkTakesTheSameLinesInBoundedPieces) {
  struct Collecting : LineSink {
    void take(std::string_view bytes) override {
      all += bytes;
      largest = std::max(largest, bytes.size());
    }
    std::string all;
    size_t largest = 0;
  } sink;
  LineBuffer buffer(&sink);
  std::string want;
  for (int k = 0; k < 5000; ++k) {
    const std::string line(static_cast<size_t>(k % 300), 'a' + k % 26);
    buffer.writeEncodedLine(line);
    want += line + "\r\n";
  }
  const std::string longLine(200000, 'z');
  buffer.writeEncodedLine(longLine);
  want += longLine + "\r\n";
  buffer.writeLine(u"end");
  want += "end\r\n";
  buffer.flush();
  EXPECT_EQ(sink.all, want);
  EXPECT_LE(sink.largest, longLine.size() + 2 + 64 * 1024);
  EXPECT_EQ(buffer.bytes(), "");
}

}  // namespace
