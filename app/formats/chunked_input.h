// A reader's view of its byte source: one buffer of a fixed size, refilled
// as the reader moves on, so that reading needs the same memory for a file
// of any size. Lines and records are views into the buffer, valid until the
// reader asks for more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/formats/byte_source.h"

namespace nodalux::formats {

class ChunkedInput {
 public:
  static constexpr std::size_t kChunk = 64 * 1024;

  explicit ChunkedInput(ByteSource& source);

  // The bytes held now; the first of them is at offset() in the input.
  std::string_view held() const { return {buffer_.get() + begin_, end_ - begin_}; }
  std::uint64_t offset() const { return offset_; }
  // Holds at least `n` bytes (n <= kChunk); false when the input ends (or
  // fails: see error()) first.
  bool hold(std::size_t n);
  // Reads at least one more byte in; false at the end, on an error, or when
  // the buffer is full of bytes not yet consumed.
  bool more();
  void consume(std::size_t n) {
    n = n < end_ - begin_ ? n : end_ - begin_;
    begin_ += n;
    offset_ += n;
    if (begin_ == end_) begin_ = end_ = 0;
  }
  // Passes over `n` bytes without keeping them; false when the input ends
  // first.
  bool skip(std::uint64_t n);
  // 0, or the errno value of the read that failed.
  int error() const { return error_; }

 private:
  ByteSource& source_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::uint64_t offset_ = 0;
  bool ended_ = false;
  int error_ = 0;
};

// One line of text: it ends at a line feed, and a carriage return before
// the line feed is not part of it. Only its first `max_length` characters
// are kept; the rest is passed over.
struct Line {
  std::string_view text;
  std::uint64_t number = 0;  // 1 for the first line
  std::uint64_t offset = 0;  // of its first byte in the input
  bool cut = false;          // it was longer than the characters kept
};

class LineReader {
 public:
  LineReader(ByteSource& source, std::size_t max_length);

  // The next line; false at the end of the input or on a read error.
  bool next(Line* line);
  // The next line, read by the caller in place: the first `length` bytes
  // held, then its line end, `used` - `length` bytes that are not kept.
  void take(std::size_t length, std::size_t used, Line* line) {
    line->number = ++number_;
    line->offset = input_.offset();
    line->text = std::string_view(input_.held().data(), length);  // length <= held
    line->cut = false;
    input_.consume(used);  // moves no bytes: the view stays valid
  }
  int error() const { return input_.error(); }
  ChunkedInput& input() { return input_; }

 private:
  ChunkedInput input_;
  std::size_t max_length_;
  std::uint64_t number_ = 0;
  std::unique_ptr<char[]> long_line_;  // the kept start of a line too long to hold
};

}  // namespace nodalux::formats
