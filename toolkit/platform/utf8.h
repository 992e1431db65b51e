// Texts are bytes. What the screen shows of them: a valid UTF-8 sequence
// is one character; any byte that does not start one is a character of its
// own, shown as the replacement character. A text is never re-decoded as a
// whole in another encoding because one byte of it is bad.
#pragma once

#include <cstddef>
#include <string_view>

namespace zarv::platform {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

struct Utf8Char {
  char32_t code = 0;        // the character; for a bad byte, the byte's value
  std::size_t length = 1;   // bytes it takes (1 for a bad byte)
  bool valid = true;
};

// The character that starts at byte `i` (< s.size()).
inline Utf8Char NextUtf8(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return {b0, 1, true};
  const std::size_t len = (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  const Utf8Char bad{b0, 1, false};
  if (len == 0 || i + len > s.size()) return bad;
  char32_t cp = b0 & (0x7F >> len);
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b >> 6) != 2) return bad;
    cp = (cp << 6) | (b & 0x3F);
  }
  constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return bad;
  return {cp, len, true};
}

// The longest prefix of `s` of at most `max` bytes that does not end inside
// a valid sequence.
inline std::size_t Utf8Prefix(std::string_view s, std::size_t max) {
  if (s.size() <= max) return s.size();
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t next = i + NextUtf8(s, i).length;
    if (next > max) break;
    i = next;
  }
  return i;
}

}  // namespace zarv::platform
