// The text file the OV2 writer hands to the converter, both ways: writing
// it, and reading it line by line in the converter. Lines end in CR LF: two
// comment lines, one line per POI ("(F10.5)" longitude and latitude with
// their leading blanks, the name in double quotes), and a count trailer.
// The converter also reads AutoRoute CSV files with their "Longitude..."
// header.
#pragma once

#include <string>
#include <string_view>

#include "app/formats/ov2_encoder.h"

namespace nodalux::formats {

inline constexpr std::string_view kTempFileHeader =
    ";* Created by Nodalux\r\n"
    ";* Longitude, Latitude, \"Name\"\r\n";

// "  -0.12345,  51.50000,"Kew"" and its line end.
void AppendTempRecord(std::string& out, float longitude, float latitude, std::string_view name);
// ";*    12 POI records written." and its line end.
void AppendTempTrailer(std::string& out, long long count);

struct TempLine {
  enum class Kind { kSkip, kRecord, kTrailer, kBad };
  Kind kind = Kind::kSkip;
  // kRecord: the POI, its name pointing into the line. kBad: the name too,
  // when the line got as far as one.
  Ov2Record record;
  long long count = 0;     // kTrailer: the number of POI records it says were written
  std::string_view error;  // kBad: why the line was refused
  std::string_view field;  // kBad: the text of the field at fault, if one is
};

// Reads one line (without its line feed; a trailing carriage return is
// ignored). Blank lines, comment lines and the CSV header are skipped; the
// count trailer is told apart so that the converter can check it.
TempLine ParseTempLine(std::string_view line);

}  // namespace nodalux::formats
