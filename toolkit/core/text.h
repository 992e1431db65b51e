// Fixed-length, blank-padded texts.
//
// Every text that crosses the toolkit's interface has a declared length and
// is padded with blanks; trailing blanks are never significant. Text<N> owns
// such a text; TextSpan is a writable view of one whose length the caller
// chose, which is how routines receive their "out" texts.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "toolkit/platform/utf8.h"

namespace zarv {

// The text without its trailing blanks.
constexpr std::string_view Trimmed(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

// The text without its leading blanks.
constexpr std::string_view LeftTrimmed(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

constexpr bool IsBlank(std::string_view s) { return Trimmed(s).empty(); }

// The longest start of `s` of at most `max` bytes that does not cut a UTF-8
// character in two (a byte that starts no valid sequence is one character).
inline std::string_view CharacterPrefix(std::string_view s, std::size_t max) {
  return s.substr(0, platform::Utf8Prefix(s, max));
}

// A writable fixed-length text owned by somebody else.
class TextSpan {
 public:
  constexpr TextSpan(char* data, std::size_t size) : data_(data), size_(size) {}

  constexpr std::size_t size() const { return size_; }
  constexpr char* data() const { return data_; }
  constexpr std::string_view view() const { return {data_, size_}; }
  constexpr std::string_view trimmed() const { return Trimmed(view()); }
  constexpr bool blank() const { return IsBlank(view()); }
  constexpr char& operator[](std::size_t i) const { return data_[i]; }

  // Copies s in, cut to the length or padded with blanks.
  constexpr void assign(std::string_view s) const {
    const std::size_t n = std::min(s.size(), size_);
    std::copy_n(s.data(), n, data_);
    std::fill(data_ + n, data_ + size_, ' ');
  }
  constexpr void clear() const { std::fill(data_, data_ + size_, ' '); }

 private:
  char* data_;
  std::size_t size_;
};

template <std::size_t N>
class Text {
 public:
  constexpr Text() { chars_.fill(' '); }
  constexpr Text(std::string_view s) { span().assign(s); }  // NOLINT: implicit by design

  static constexpr std::size_t size() { return N; }
  constexpr std::string_view view() const { return {chars_.data(), N}; }
  constexpr std::string_view trimmed() const { return Trimmed(view()); }
  std::string str() const { return std::string(trimmed()); }
  constexpr bool blank() const { return IsBlank(view()); }

  constexpr void assign(std::string_view s) { span().assign(s); }
  constexpr void clear() { chars_.fill(' '); }
  constexpr char& operator[](std::size_t i) { return chars_[i]; }
  constexpr char operator[](std::size_t i) const { return chars_[i]; }

  constexpr TextSpan span() { return TextSpan(chars_.data(), N); }
  constexpr operator TextSpan() { return span(); }  // NOLINT: out-arguments
  constexpr operator std::string_view() const { return view(); }  // NOLINT

  friend constexpr bool operator==(const Text& a, const Text& b) {
    return a.chars_ == b.chars_;
  }

 private:
  std::array<char, N> chars_;
};

}  // namespace zarv
