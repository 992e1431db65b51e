#include "app/formats/temp_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

#include "app/formats/number_fields.h"
#include "app/formats/ov2_layout.h"
#include "toolkit/core/text.h"

namespace nodalux::formats {

namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A decimal such as -0.12345 with at most 15 digits and no exponent, as
// its digits and the number of them after the point: both are exact in a
// double, so one division gives the nearest double, as the general
// conversion does (the numbers the program writes are all of this kind).
struct ShortDecimal {
  bool negative = false;
  std::uint64_t digits = 0;
  int places = 0;

  static std::optional<ShortDecimal> Read(std::string_view text) {
    ShortDecimal number;
    number.negative = text.starts_with('-');
    if (number.negative) text.remove_prefix(1);
    int count = 0;
    int decimals = -1;  // no point yet
    for (const char c : text) {
      if (c >= '0' && c <= '9' && count < 15) {
        number.digits = number.digits * 10 + static_cast<unsigned>(c - '0');
        ++count;
        if (decimals >= 0) ++decimals;
      } else if (c == '.' && decimals < 0) {
        decimals = 0;
      } else {
        return std::nullopt;
      }
    }
    if (count == 0) return std::nullopt;
    number.places = std::max(decimals, 0);
    return number;
  }

  double value() const {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double magnitude = static_cast<double>(digits) / kPowersOfTen[places];
    return negative ? -magnitude : magnitude;
  }

  // With at most five places the number is a whole count of 1/100000
  // degrees, the one its nearest double rounds to; nothing otherwise. Too
  // many digits for a coordinate count as too many places: the double
  // then tells.
  std::optional<std::int64_t> units() const {
    static constexpr std::uint64_t kScale[] = {100000, 10000, 1000, 100, 10, 1};
    if (places > 5 || digits > (std::uint64_t{1} << 40)) return std::nullopt;
    const auto magnitude = static_cast<std::int64_t>(digits * kScale[places]);
    return negative ? -magnitude : magnitude;
  }
};

// A decimal number such as "-0.12345" or "51.5" or "1E2" (without blanks
// around it); nothing else may stand in the field.
std::optional<double> ParseNumber(std::string_view field) {
  double value = 0.0;
  const auto [end, ec] =
      std::from_chars(field.data(), field.data() + field.size(), value, std::chars_format::general);
  if (ec != std::errc() || end != field.data() + field.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

TempLine Bad(std::string_view error, std::string_view field = {}) {
  TempLine result;
  result.kind = TempLine::Kind::kBad;
  result.error = error;
  result.field = field;
  return result;
}

constexpr std::string_view kTrailerEnd = " POI records written.";

// ";*    12 POI records written.": the count, or nothing for another line.
std::optional<long long> TrailerCount(std::string_view content) {
  if (!content.starts_with(";*") || !content.ends_with(kTrailerEnd)) return std::nullopt;
  std::string_view digits = content.substr(2, content.size() - 2 - kTrailerEnd.size());
  while (!digits.empty() && IsBlank(digits.front())) digits.remove_prefix(1);
  long long count = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || count < 0) {
    return std::nullopt;
  }
  return count;
}

// A number field that "(F10.5)" could not fit: all asterisks.
bool Overflowed(std::string_view field) {
  return !field.empty() && field.find_first_not_of('*') == std::string_view::npos;
}

// The coordinate in the field, in whole 1/100000 degrees, or why not.
// `limit` is in whole degrees.
std::optional<std::int32_t> Coordinate(std::string_view field, int limit, bool longitude,
                                       TempLine* bad) {
  field = TrimBlanks(field);
  std::string_view number = field;
  // One sign at most: "+-1" is not a number.
  if (number.starts_with('+')) number.remove_prefix(1);
  std::optional<double> degrees;
  if (!number.empty() && (number.front() != '+' && (number.front() != '-' || field.front() != '+'))) {
    if (const auto decimal = ShortDecimal::Read(number)) {
      if (const auto units = decimal->units()) {
        if (*units < -std::int64_t{limit} * 100000 || *units > std::int64_t{limit} * 100000) {
          *bad = Bad(longitude ? "longitude is outside -180..180" : "latitude is outside -90..90", field);
          return std::nullopt;
        }
        return static_cast<std::int32_t>(*units);
      }
      degrees = decimal->value();
    } else {
      degrees = ParseNumber(number);
    }
  }
  if (!degrees) {
    *bad = Bad(Overflowed(field) ? (longitude ? "longitude overflowed its field"
                                              : "latitude overflowed its field")
                                 : (longitude ? "longitude is not a number"
                                              : "latitude is not a number"),
               field);
    return std::nullopt;
  }
  const auto units = ov2::UnitsFromDegrees(*degrees, limit);
  if (!units) {
    *bad = Bad(longitude ? "longitude is outside -180..180" : "latitude is outside -90..90", field);
  }
  return units;
}

// What a character can be in a field "(F10.5)" writes: its class in the
// high bits (0 a blank, 1 a minus sign, 2 a digit, 3 anything else) and
// its digit, or 0, in the low four.
constexpr std::array<std::uint8_t, 256> kFixedCharacters = [] {
  std::array<std::uint8_t, 256> table{};
  table.fill(3 << 4);
  table[' '] = 0 << 4;
  table['-'] = 1 << 4;
  for (int digit = 0; digit <= 9; ++digit) table['0' + digit] = static_cast<std::uint8_t>(2 << 4 | digit);
  return table;
}();

// The classes of the four places before the point (two bits each, the
// first place lowest) that make a number: blanks, at most one minus sign,
// then at least one digit.
constexpr std::array<bool, 256> kFixedWholePart = [] {
  std::array<bool, 256> table{};
  for (int blanks = 0; blanks < 4; ++blanks) {
    for (int minus = 0; minus <= 1 && blanks + minus < 4; ++minus) {
      int classes = 0;
      for (int place = 0; place < 4; ++place) {
        const int kind = place < blanks ? 0 : place < blanks + minus ? 1 : 2;
        classes |= kind << (2 * place);
      }
      table[static_cast<std::size_t>(classes)] = true;
    }
  }
  return table;
}();

// A field as "(F10.5)" writes it: blanks, a minus sign if any, one to
// four digits, the point and five digits, ten characters in all. Its
// whole 1/100000 degrees, or nothing for any other field. The field is
// aligned to the right, so every place has its own weight, and nothing
// branches on the blanks, whose count changes from line to line: the four
// places before the point are looked up each on its own, the point and
// the five digits after it are read as one 64-bit word.
std::optional<std::int32_t> FixedUnits(const char* field) {
  const unsigned c0 = kFixedCharacters[static_cast<unsigned char>(field[0])];
  const unsigned c1 = kFixedCharacters[static_cast<unsigned char>(field[1])];
  const unsigned c2 = kFixedCharacters[static_cast<unsigned char>(field[2])];
  const unsigned c3 = kFixedCharacters[static_cast<unsigned char>(field[3])];
  const unsigned whole_classes = (c0 >> 4) | (c1 >> 4) << 2 | (c2 >> 4) << 4 | (c3 >> 4) << 6;
  const unsigned whole = (c0 & 0xF) * 1000 + (c1 & 0xF) * 100 + (c2 & 0xF) * 10 + (c3 & 0xF);

  // Bytes 2 to 9, the first in the lowest bits: the point is byte 2 of the
  // word, the digits bytes 3 to 7.
  std::uint64_t word = 0;
  for (int i = 7; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(field[2 + i]);
  constexpr std::uint64_t kDigitBytes = 0xFFFFFFFFFF000000u;
  const bool point = ((word >> 16) & 0xFF) == '.';
  // A byte is a digit when its high half is 3, and still is after adding
  // 6 (no carry crosses bytes unless the first test already failed).
  const bool digits = (word & (0xF0F0F0F0F0F0F0F0u & kDigitBytes)) == (0x3030303030303030u & kDigitBytes) &&
                      ((word + 0x0606060606060606u) & (0xF0F0F0F0F0F0F0F0u & kDigitBytes)) ==
                          (0x3030303030303030u & kDigitBytes);
  if (!(kFixedWholePart[whole_classes] & point & digits)) return std::nullopt;
  // The five digits as a number of eight, three zeros first, combined in
  // pairs, fours and eights: each step adds ten, a hundred or ten thousand
  // times a lane to the lane after it.
  std::uint64_t part = (word & kDigitBytes) - (0x3030303030303030u & kDigitBytes);
  part = (part * (1 + (10 << 8))) >> 8;
  part = ((part & 0x00FF00FF00FF00FFu) * (1 + (100 << 16))) >> 16;
  part = ((part & 0x0000FFFF0000FFFFu) * (1 + (std::uint64_t{10000} << 32))) >> 32;
  const auto magnitude = static_cast<std::int32_t>(whole * 100000 + static_cast<unsigned>(part));
  return whole_classes & 0x55 ? -magnitude : magnitude;
}

// A line as the program writes it, "(F10.5),(F10.5),"name"", whose
// numbers are in range and whose name holds no NUL: the record, read
// without looking for its parts. Nothing for any other line, which the
// general reading then takes, with the same result for this one.
std::optional<Ov2Record> WrittenRecord(std::string_view line) {
  if (line.size() < 24 || line[10] != ',' || line[21] != ',' || line[22] != '"' || line.back() != '"') {
    return std::nullopt;
  }
  const auto lon = FixedUnits(line.data());
  const auto lat = FixedUnits(line.data() + 11);
  if (!lon || !lat || *lon < -18000000 || *lon > 18000000 || *lat < -9000000 || *lat > 9000000) {
    return std::nullopt;
  }
  const std::string_view name = line.substr(23, line.size() - 24);
  if (name.find('\0') != std::string_view::npos) return std::nullopt;
  return Ov2Record{*lon, *lat, name};
}

}  // namespace

void AppendTempRecord(std::string& out, float longitude, float latitude, std::string_view name) {
  name = zarv::Trimmed(name);
  const std::size_t start = out.size();
  out.resize(start + 2 * kMaxPutWidth + name.size() + 6);
  char* p = out.data() + start;
  p = PutFixedField(p, longitude, 10, 5, false);
  *p++ = ',';
  p = PutFixedField(p, latitude, 10, 5, false);
  *p++ = ',';
  *p++ = '"';
  p = std::copy(name.begin(), name.end(), p);
  p = std::copy_n("\"\r\n", 3, p);
  out.resize(static_cast<std::size_t>(p - out.data()));
}

void AppendTempTrailer(std::string& out, long long count) {
  out.append(";* ").append(IntegerField(count, 5)).append(" POI records written.\r\n");
}

TempLine ParseTempLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (const auto written = WrittenRecord(line)) {
    TempLine result;
    result.kind = TempLine::Kind::kRecord;
    result.record = *written;
    return result;
  }
  const std::string_view content = TrimBlanks(line);
  if (content.empty() || content.front() == ';' || content.starts_with("Longitude")) {
    TempLine result;
    if (const auto count = TrailerCount(content)) {
      result.kind = TempLine::Kind::kTrailer;
      result.count = *count;
    }
    return result;
  }

  const std::size_t comma1 = line.find(',');
  const std::size_t comma2 = comma1 == std::string_view::npos ? comma1 : line.find(',', comma1 + 1);
  if (comma2 == std::string_view::npos) {
    return Bad("expected longitude, latitude and a name");
  }

  // The name stands in double quotes; AutoRoute CSV files may also hold a
  // bare one, which runs to the end of the line. It is found first, so that
  // a complaint about the numbers can name the POI.
  std::string_view name = TrimBlanks(line.substr(comma2 + 1));
  const std::size_t open_quote = line.find('"', comma2 + 1);
  if (open_quote != std::string_view::npos) {
    const std::size_t close_quote = line.rfind('"');
    if (close_quote == open_quote) return Bad("the name has no closing double quote");
    name = line.substr(open_quote + 1, close_quote - open_quote - 1);
  } else if (name.empty()) {
    return Bad("the name is missing");
  }

  TempLine result;
  const auto lon = Coordinate(line.substr(0, comma1), 180, true, &result);
  const auto lat =
      lon ? Coordinate(line.substr(comma1 + 1, comma2 - comma1 - 1), 90, false, &result)
          : std::nullopt;
  if (lon && lat && name.find('\0') != std::string_view::npos) {
    result = Bad("the name contains a NUL byte, which an OV2 name cannot hold");
  }
  result.record.name = name;
  if (result.kind == TempLine::Kind::kBad) return result;
  result.kind = TempLine::Kind::kRecord;
  result.record.longitude = *lon;
  result.record.latitude = *lat;
  return result;
}

}  // namespace nodalux::formats
