#include "app/formats/chunked_input.h"

#include <algorithm>
#include <cstring>

namespace nodalux::formats {

ChunkedInput::ChunkedInput(ByteSource& source)
    // Not filled in first: every byte is read in before it is looked at.
    : source_(source), buffer_(std::make_unique_for_overwrite<char[]>(kChunk)) {}

bool ChunkedInput::more() {
  if (ended_ || error_ != 0) return false;
  if (begin_ > 0 && end_ == kChunk) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == kChunk) return false;
  std::size_t got = 0;
  error_ = source_.read(buffer_.get() + end_, kChunk - end_, &got);
  if (error_ != 0) return false;
  if (got == 0) {
    ended_ = true;
    return false;
  }
  end_ += got;
  return true;
}

bool ChunkedInput::hold(std::size_t n) {
  if (end_ - begin_ < n && kChunk - begin_ < n) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  while (end_ - begin_ < n) {
    if (!more()) return false;
  }
  return true;
}

bool ChunkedInput::skip(std::uint64_t n) {
  while (true) {
    const std::size_t here = static_cast<std::size_t>(std::min<std::uint64_t>(n, end_ - begin_));
    consume(here);
    n -= here;
    if (n == 0) return true;
    if (!more()) return false;
  }
}

LineReader::LineReader(ByteSource& source, std::size_t max_length)
    : input_(source), max_length_(std::min(max_length, ChunkedInput::kChunk - 1)) {}

bool LineReader::next(Line* line) {
  line->number = ++number_;
  line->offset = input_.offset();
  line->cut = false;
  std::size_t scanned = 0;
  while (true) {
    const std::string_view held = input_.held();
    const void* lf = std::memchr(held.data() + scanned, '\n', held.size() - scanned);
    if (lf != nullptr) {
      std::size_t length = static_cast<std::size_t>(static_cast<const char*>(lf) - held.data());
      const std::size_t used = length + 1;
      if (length > 0 && held[length - 1] == '\r') --length;
      line->text = held.substr(0, std::min(length, max_length_));
      line->cut = length > max_length_;
      // The view stays valid: consuming moves no bytes.
      input_.consume(used);
      return true;
    }
    if (held.size() > max_length_) break;  // too long to hold: keep its start
    scanned = held.size();
    if (!input_.more()) {
      if (input_.error() != 0) return false;
      const std::string_view last = input_.held();  // more() may have moved it
      if (last.empty()) {
        --number_;
        return false;
      }
      // The last line, without a line feed.
      std::size_t length = last.size();
      if (last[length - 1] == '\r') --length;
      line->text = last.substr(0, length);
      input_.consume(last.size());
      return true;
    }
  }

  // A line longer than the characters kept: keep its start, pass over the
  // rest up to its line feed.
  if (!long_line_) long_line_ = std::make_unique<char[]>(max_length_);
  std::memcpy(long_line_.get(), input_.held().data(), max_length_);
  line->text = std::string_view(long_line_.get(), max_length_);
  line->cut = true;
  while (true) {
    const std::string_view held = input_.held();
    const void* lf = std::memchr(held.data(), '\n', held.size());
    if (lf != nullptr) {
      input_.consume(static_cast<std::size_t>(static_cast<const char*>(lf) - held.data()) + 1);
      return true;
    }
    input_.consume(held.size());
    if (!input_.more()) return input_.error() == 0;
  }
}

}  // namespace nodalux::formats
