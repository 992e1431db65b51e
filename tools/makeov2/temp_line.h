// One line of the converter's input: the temporary file the OV2 writer
// leaves (comment lines starting with ";", then longitude, latitude and a
// quoted name) or an AutoRoute CSV file with its "Longitude..." header.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace makeov2 {

// A POI in the units of the OV2 file: 1/100000 degree.
struct Ov2Poi {
  std::int32_t longitude = 0;
  std::int32_t latitude = 0;
  std::string name;  // raw bytes, no NUL inside
};

struct ParsedLine {
  enum class Kind { kSkip, kRecord, kBad };
  Kind kind = Kind::kSkip;
  Ov2Poi poi;         // valid for kRecord
  std::string error;  // why the line was refused, for kBad
};

// Reads one line (without its line feed; a trailing carriage return is
// ignored). Blank lines, comment lines and the CSV header are skipped.
ParsedLine ParseTempLine(std::string_view line);

}  // namespace makeov2
