#include "base/line_buffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/utf8.h"

namespace {

// The room of a buffer with a sink.
constexpr size_t kChunk = 64 * 1024;

}  // namespace

LineRoom LineBuffer::lineRoom(size_t used, size_t more) {
  if (bytes_.size() < size_ + used + more + 2) {  // CR LF always fit after
    if (sink_ != nullptr && size_ > 0) {
      // The complete lines go; the line built so far moves to the front.
      sink_->take({bytes_.data(), size_});
      std::memmove(bytes_.data(), bytes_.data() + size_, used);
      size_ = 0;
    }
    const size_t need = size_ + used + more + 2;
    if (bytes_.size() < need) {
      // Doubling keeps the copies of a growing drawing linear in its size.
      bytes_.resize(std::max(
          {need, 2 * bytes_.size(), sink_ != nullptr ? kChunk : size_t{4096}}));
    }
  }
  return {bytes_.data() + size_, bytes_.size() - size_ - 2};
}

void LineBuffer::flush() {
  if (sink_ == nullptr || size_ == 0) return;
  sink_->take({bytes_.data(), size_});
  size_ = 0;
}

void LineBuffer::endLineInPlace(size_t used, size_t keep) {
  static_cast<void>(keep);  // the next line's start stays where it is
  char* end = bytes_.data() + size_ + used;
  end[0] = '\r';
  end[1] = '\n';
  size_ += used + 2;
}

void LineBuffer::writeLine(TextView text) {
  const LineRoom room = lineRoom(0, MaxUtf8BytesPerUnit * text.size());
  endLineInPlace(encodeUtf8Into(text, room.start));
}

void LineBuffer::writeEncodedLine(std::string_view utf8) {
  const LineRoom room = lineRoom(0, utf8.size());
  if (!utf8.empty()) std::memcpy(room.start, utf8.data(), utf8.size());
  endLineInPlace(utf8.size());
}

std::string LineBuffer::take() {
  bytes_.resize(size_);
  size_ = 0;
  return std::exchange(bytes_, std::string());
}
