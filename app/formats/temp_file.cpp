#include "app/formats/temp_file.h"

#include <charconv>
#include <cmath>
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

// A decimal number such as "  -0.12345" or "51.5" or "1E2"; nothing else may
// stand in the field.
std::optional<double> ParseNumber(std::string_view field) {
  field = TrimBlanks(field);
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  if (field.empty() || field.front() == '+') return std::nullopt;
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
std::optional<std::int32_t> Coordinate(std::string_view field, double limit, bool longitude,
                                       TempLine* bad) {
  field = TrimBlanks(field);
  const auto degrees = ParseNumber(field);
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

}  // namespace

void AppendTempRecord(std::string& out, float longitude, float latitude, std::string_view name) {
  out.append(FixedField(longitude, 10, 5)).push_back(',');
  out.append(FixedField(latitude, 10, 5)).append(",\"");
  out.append(zarv::Trimmed(name)).append("\"\r\n");
}

void AppendTempTrailer(std::string& out, long long count) {
  out.append(";* ").append(IntegerField(count, 5)).append(" POI records written.\r\n");
}

TempLine ParseTempLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
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
  const auto lon = Coordinate(line.substr(0, comma1), 180.0, true, &result);
  const auto lat =
      lon ? Coordinate(line.substr(comma1 + 1, comma2 - comma1 - 1), 90.0, false, &result)
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
