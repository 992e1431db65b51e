#include "app/formats/csv_record.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "toolkit/core/fortran_io.h"
#include "toolkit/core/text.h"

namespace nodalux::formats {
namespace {

// A decimal of at most 24 bits of digits and at most 10 decimals, such as
// -0.12345 or 51.23804, without an exponent: the digits and the power of
// ten are both exact in a float, so one division rounds the value exactly
// as the general conversion does, only much faster.
std::optional<float> ShortDecimal(std::string_view token) {
  static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                           1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
  std::size_t i = 0;
  const bool negative = !token.empty() && token[0] == '-';
  if (negative) ++i;
  std::uint32_t digits = 0;
  int decimals = -1;  // -1: no decimal point yet
  bool any_digit = false;
  for (; i < token.size(); ++i) {
    const char c = token[i];
    if (c == '.' && decimals < 0) {
      decimals = 0;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    digits = digits * 10 + static_cast<std::uint32_t>(c - '0');
    if (digits > (1u << 24)) return std::nullopt;
    if (decimals >= 0 && ++decimals > 10) return std::nullopt;
    any_digit = true;
  }
  if (!any_digit) return std::nullopt;
  const float value = static_cast<float>(digits) / kPowersOfTen[std::max(decimals, 0)];
  return negative ? -value : value;
}

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
    if (token.starts_with('+')) {
      token.remove_prefix(1);
      if (token.starts_with('-') || token.starts_with('+')) return std::nullopt;  // "+-5"
    }
    if (const std::optional<float> quick = ShortDecimal(token)) return quick;
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

// A name as a record keeps it: its first kNameLength bytes, trailing
// blanks dropped.
std::string_view Kept(std::string_view name) {
  return zarv::Trimmed(name.substr(0, std::min(name.size(), kNameLength)));
}

}  // namespace

bool ReadPlainCsvRecord(std::string_view text, CsvRecord* record) {
  Cursor cursor(text);
  const std::optional<float> longitude = cursor.number();
  if (!longitude || !cursor.separator()) return false;
  const std::optional<float> latitude = cursor.number();
  if (!latitude || !cursor.separator()) return false;
  const std::optional<std::string_view> name = cursor.name();
  if (!name) return false;
  record->longitude = *longitude;
  record->latitude = *latitude;
  record->name = Kept(*name);
  return true;
}

CsvFault ReadListCsvRecord(std::string_view text, char* name_buffer, CsvRecord* record,
                           std::size_t* column) {
  using Status = zarv::fortran::ListReader::Status;
  *record = {};
  // A record separates its values with commas and blanks only.
  zarv::fortran::ListReader reader(text, zarv::fortran::ListReader::Semicolon::kRefused);
  const auto fault = [&](Status status) {
    *column = reader.position();
    return status == Status::kEnd ? CsvFault::kTooShort : CsvFault::kBadValue;
  };
  for (std::optional<float>* coordinate : {&record->longitude, &record->latitude}) {
    float value = 0.0f;
    const Status status = reader.read(value);
    if (status == Status::kSlash) return CsvFault::kNone;
    if (status == Status::kValue) *coordinate = value;
    if (status != Status::kValue && status != Status::kNull) return fault(status);
  }
  const zarv::TextSpan name(name_buffer, kNameLength);
  const Status status = reader.read(name);
  if (status == Status::kValue) record->name = name.trimmed();
  if (status != Status::kValue && status != Status::kNull && status != Status::kSlash) {
    return fault(status);
  }
  return CsvFault::kNone;
}

CsvFault ReadCsvRecord(std::string_view text, char* name_buffer, CsvRecord* record,
                       std::size_t* column) {
  if (ReadPlainCsvRecord(text, record)) return CsvFault::kNone;
  return ReadListCsvRecord(text, name_buffer, record, column);
}

}  // namespace nodalux::formats
