// How the byte names of OV2 and CSV files become text and back.
//
// OV2 and CSV files store a POI's name as bytes; older devices wrote them in
// the Windows Latin page CP1252, newer ones in UTF-8. GPX is always UTF-8.
// The conversions run through the C library's iconv.
//
//   utf-8   names are UTF-8. On reading, a byte that is not part of a valid
//           sequence becomes U+FFFD (counted in `replaced`).
//   cp1252  names are CP1252. Every byte has a character, so every name is
//           kept: the five bytes CP1252 leaves undefined (0x81, 0x8D, 0x8F,
//           0x90, 0x9D) become the C1 control characters of the same number,
//           as web browsers read them, and are written back as the same byte.
//           On writing, a character CP1252 lacks is written as its nearest
//           equivalent (iconv's transliteration in the C.UTF-8 locale: "Ł" as
//           "L", "→" as "->") or as "?" when there is none; each such
//           character is counted in `substituted`, for a warning.
//   auto    on reading, a name that is valid UTF-8 is taken as UTF-8, any
//           other as CP1252; on writing, names are written as UTF-8, which
//           every current device reads (choose cp1252 for older ones).
//
// So a name survives bytes -> text -> bytes unchanged in cp1252 mode (every
// name), in utf-8 mode (every valid UTF-8 name), and in auto mode (every
// valid UTF-8 name; a CP1252 name comes back as the same text in UTF-8).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace nodalux::encoding {

enum class NameEncoding { kUtf8, kCp1252, kAuto };

// "utf-8", "cp1252" or "auto", in any case; "utf8" and "windows-1252" too.
std::optional<NameEncoding> ParseNameEncoding(std::string_view word);
// The name the options and messages use: "utf-8", "cp1252", "auto".
std::string_view NameEncodingName(NameEncoding encoding);

struct NameText {
  std::string text;          // valid UTF-8
  std::size_t replaced = 0;  // bytes that were not valid UTF-8 (utf-8 mode only)
};

struct NameBytes {
  std::string bytes;
  std::size_t substituted = 0;  // characters written as an equivalent or "?"
  bool cut = false;             // longer than the limit: cut at a character's end
};

// Converts names in one encoding mode; keeps its iconv descriptors for the
// names of a whole file. Not for use by two threads at once.
class NameCodec {
 public:
  explicit NameCodec(NameEncoding encoding);
  ~NameCodec();
  NameCodec(const NameCodec&) = delete;
  NameCodec& operator=(const NameCodec&) = delete;

  NameEncoding encoding() const { return encoding_; }

  // A byte name as UTF-8 text.
  NameText ToUtf8(std::string_view bytes);
  // UTF-8 text as a byte name of at most `max_bytes` bytes.
  NameBytes FromUtf8(std::string_view text, std::size_t max_bytes);

 private:
  struct Iconv;
  NameEncoding encoding_;
  std::unique_ptr<Iconv> iconv_;
};

}  // namespace nodalux::encoding
