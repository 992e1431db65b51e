// The everyday shape of a CSV record, read without the general
// list-directed reader. This is what keeps 30000 records to a few
// milliseconds; anything unusual goes to the general reader.
#include "app/nodalux/plain_record.h"

#include <charconv>
#include <optional>

namespace nodalux {
namespace {

class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool at_end() const { return pos_ >= text_.size(); }
  char peek() const { return text_[pos_]; }

  void skip_blanks() {
    while (!at_end() && peek() == ' ') ++pos_;
  }

  // A number such as -0.12345, 51.5, 3., .5 or 1.5E-3, ended by a blank or a
  // comma (not by the end: a record needs its name).
  std::optional<float> number() {
    const std::size_t start = pos_;
    while (!at_end() && IsNumberChar(peek())) ++pos_;
    if (at_end() || (peek() != ' ' && peek() != ',')) return std::nullopt;
    std::string_view token = text_.substr(start, pos_ - start);
    if (token.starts_with('+')) token.remove_prefix(1);
    float value = 0.0f;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
    return value;
  }

  // Blanks, at most one comma, blanks; then the next value must start.
  bool separator() {
    skip_blanks();
    if (!at_end() && peek() == ',') {
      ++pos_;
      skip_blanks();
    }
    return !at_end() && peek() != ',' && peek() != '/';
  }

  // A name in double quotes or apostrophes without doubled quotes inside,
  // or a word without quotes; what follows it is not looked at beyond the
  // separator that ends it.
  std::optional<std::string_view> name() {
    const char first = peek();
    if (first == '"' || first == '\'') {
      const std::size_t close = text_.find(first, pos_ + 1);
      if (close == std::string_view::npos) return std::nullopt;
      const std::size_t after = close + 1;
      if (after < text_.size() && !IsValueEnd(text_[after])) return std::nullopt;  // "" or "x"y
      const std::string_view quoted = text_.substr(pos_ + 1, close - pos_ - 1);
      for (const char c : quoted) {
        if (IsControl(c)) return std::nullopt;
      }
      return quoted;
    }
    const std::size_t start = pos_;
    while (!at_end() && !IsValueEnd(peek())) {
      const char c = peek();
      if (c == '*' || c == ';' || c == '"' || c == '\'' || IsControl(c)) return std::nullopt;
      ++pos_;
    }
    return text_.substr(start, pos_ - start);
  }

 private:
  static bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' || c == 'e';
  }
  static bool IsControl(char c) { return static_cast<unsigned char>(c) < 32; }
  static bool IsValueEnd(char c) { return c == ' ' || c == ',' || c == '/'; }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

bool ReadPlainRecord(std::string_view text, POI_RECORD& slot) {
  Cursor cursor(text);
  const std::optional<float> longitude = cursor.number();
  if (!longitude || !cursor.separator()) return false;
  const std::optional<float> latitude = cursor.number();
  if (!latitude || !cursor.separator()) return false;
  const std::optional<std::string_view> name = cursor.name();
  if (!name) return false;
  slot.LONGITUDE = *longitude;
  slot.LATITUDE = *latitude;
  slot.NAME.assign(*name);
  return true;
}

}  // namespace nodalux
