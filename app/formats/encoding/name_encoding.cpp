#include "app/formats/encoding/name_encoding.h"

#include <iconv.h>
#include <locale.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "app/formats/encoding/utf8.h"

namespace nodalux::encoding {
namespace {

constexpr auto kFailed = static_cast<std::size_t>(-1);
const auto kNoDescriptor = reinterpret_cast<iconv_t>(-1);

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

iconv_t Open(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == kNoDescriptor) {
    throw std::runtime_error(std::string("the C library cannot convert from ") + from + " to " +
                             to + ": " + std::strerror(errno));
  }
  return cd;
}

// The five CP1252 bytes without a character: read as the C1 control of the
// same number, and written back as that byte.
bool IsCp1252Hole(char32_t c) {
  return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// Runs iconv over `in` until it stops at a byte or character it cannot
// convert (returns false, `in` left there) or has converted everything
// (returns true). Output goes to the end of `out`.
bool Convert(iconv_t cd, std::string_view& in, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::array<char, 512> buffer;
  while (true) {
    char* from = const_cast<char*>(in.data());
    std::size_t from_left = in.size();
    char* to = buffer.data();
    std::size_t to_left = buffer.size();
    const std::size_t result = iconv(cd, &from, &from_left, &to, &to_left);
    const int error = errno;
    out.append(buffer.data(), static_cast<std::size_t>(to - buffer.data()));
    in.remove_prefix(in.size() - from_left);
    if (result != kFailed) return true;
    if (error != E2BIG) return false;
  }
}

}  // namespace

std::optional<NameEncoding> ParseNameEncoding(std::string_view word) {
  if (EqualsIgnoringCase(word, "utf-8") || EqualsIgnoringCase(word, "utf8")) {
    return NameEncoding::kUtf8;
  }
  if (EqualsIgnoringCase(word, "cp1252") || EqualsIgnoringCase(word, "windows-1252")) {
    return NameEncoding::kCp1252;
  }
  if (EqualsIgnoringCase(word, "auto")) return NameEncoding::kAuto;
  return std::nullopt;
}

std::string_view NameEncodingName(NameEncoding encoding) {
  switch (encoding) {
    case NameEncoding::kUtf8:
      return "utf-8";
    case NameEncoding::kCp1252:
      return "cp1252";
    case NameEncoding::kAuto:
      break;
  }
  return "auto";
}

struct NameCodec::Iconv {
  iconv_t from_cp1252 = kNoDescriptor;
  iconv_t to_cp1252 = kNoDescriptor;
  iconv_t to_cp1252_nearest = kNoDescriptor;
  // Transliteration follows the locale; C.UTF-8 makes it the same wherever
  // the program runs, whatever the user's locale.
  locale_t c_utf8 = nullptr;

  class InCUtf8 {
   public:
    explicit InCUtf8(locale_t locale) : old_(locale ? uselocale(locale) : nullptr) {}
    ~InCUtf8() {
      if (old_) uselocale(old_);
    }
    InCUtf8(const InCUtf8&) = delete;
    InCUtf8& operator=(const InCUtf8&) = delete;

   private:
    locale_t old_;
  };

  Iconv() {
    c_utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    try {
      from_cp1252 = Open("UTF-8", "CP1252");
      to_cp1252 = Open("CP1252", "UTF-8");
      InCUtf8 scope(c_utf8);
      to_cp1252_nearest = Open("CP1252//TRANSLIT", "UTF-8");
    } catch (...) {
      Close();
      throw;
    }
  }
  ~Iconv() { Close(); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  void Close() {
    for (iconv_t cd : {from_cp1252, to_cp1252, to_cp1252_nearest}) {
      if (cd != kNoDescriptor) iconv_close(cd);
    }
    if (c_utf8) freelocale(c_utf8);
    from_cp1252 = to_cp1252 = to_cp1252_nearest = kNoDescriptor;
    c_utf8 = nullptr;
  }

  std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    while (!Convert(from_cp1252, bytes, out)) {
      if (bytes.empty()) break;
      AppendUtf8(out, static_cast<unsigned char>(bytes.front()));
      bytes.remove_prefix(1);
    }
    return out;
  }

  // The nearest CP1252 spelling of one character, or "?".
  std::string Nearest(std::string_view character) {
    InCUtf8 scope(c_utf8);
    std::string out;
    if (!Convert(to_cp1252_nearest, character, out) || out.empty()) return "?";
    return out;
  }

  NameBytes Utf8ToCp1252(std::string_view text) {
    NameBytes result;
    result.bytes.reserve(text.size());
    while (!Convert(to_cp1252, text, result.bytes)) {
      if (text.empty()) break;
      const Utf8Char c = DecodeUtf8(text);
      if (c.valid && IsCp1252Hole(c.value)) {
        result.bytes.push_back(static_cast<char>(c.value));
      } else {
        result.bytes += c.valid ? Nearest(text.substr(0, c.length)) : "?";
        ++result.substituted;
      }
      text.remove_prefix(c.length);
    }
    return result;
  }
};

NameCodec::NameCodec(NameEncoding encoding)
    : encoding_(encoding), iconv_(std::make_unique<Iconv>()) {}

NameCodec::~NameCodec() = default;

namespace {

// `text` with every byte that is not part of valid UTF-8 replaced by U+FFFD.
std::string ReplaceInvalidUtf8(std::string_view text, std::size_t& replaced) {
  std::string out;
  out.reserve(text.size() + 8);
  while (!text.empty()) {
    const Utf8Char c = DecodeUtf8(text);
    if (c.valid) {
      out.append(text.substr(0, c.length));
    } else {
      AppendUtf8(out, kReplacementCharacter);
      ++replaced;
    }
    text.remove_prefix(c.length);
  }
  return out;
}

}  // namespace

NameText NameCodec::ToUtf8(std::string_view bytes) {
  NameText result;
  if (encoding_ != NameEncoding::kCp1252 && IsValidUtf8(bytes)) {
    result.text = bytes;
  } else if (encoding_ == NameEncoding::kUtf8) {
    result.text = ReplaceInvalidUtf8(bytes, result.replaced);
  } else {
    result.text = iconv_->Cp1252ToUtf8(bytes);
  }
  return result;
}

NameBytes NameCodec::FromUtf8(std::string_view text, std::size_t max_bytes) {
  NameBytes result;
  if (encoding_ == NameEncoding::kCp1252) {
    result = iconv_->Utf8ToCp1252(text);
    if (result.bytes.size() > max_bytes) {
      result.bytes.resize(max_bytes);
      result.cut = true;
    }
    return result;
  }
  if (IsValidUtf8(text)) {
    result.bytes = text;
  } else {
    result.bytes = ReplaceInvalidUtf8(text, result.substituted);
  }
  const std::size_t kept = Utf8Prefix(result.bytes, max_bytes).size();
  if (kept < result.bytes.size()) {
    result.bytes.resize(kept);
    result.cut = true;
  }
  return result;
}

}  // namespace nodalux::encoding
