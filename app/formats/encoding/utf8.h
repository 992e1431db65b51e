// UTF-8 as names and XML text need it: strict decoding of one character,
// validation, encoding and cutting at a character boundary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nodalux::encoding {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

struct Utf8Char {
  char32_t value = 0;      // the code point; kReplacementCharacter when !valid
  std::size_t length = 1;  // bytes taken: the sequence, or 1 for a bad byte
  bool valid = false;
};

// The character at the start of `text`, which must not be empty. Overlong
// forms, surrogates, code points above U+10FFFF and sequences cut short are
// not valid; one byte of them is taken, so a caller that goes on from there
// resynchronises at the next possible start.
Utf8Char DecodeUtf8(std::string_view text);

bool IsValidUtf8(std::string_view text);

void AppendUtf8(std::string& out, char32_t code_point);

// The longest start of `text` that has at most `max_bytes` bytes and does not
// end inside a character.
std::string_view Utf8Prefix(std::string_view text, std::size_t max_bytes);

}  // namespace nodalux::encoding
