// The text file the OV2 writer hands to the converter (which reads it in
// tools/makeov2/temp_line.c). Lines end in CR LF: two comment lines, one
// line per POI ("(F10.5)" longitude and latitude with their leading blanks,
// the name in double quotes), and a count trailer.
#pragma once

#include <string>
#include <string_view>

namespace nodalux::formats {

inline constexpr std::string_view kTempFileHeader =
    ";* Created by Nodalux\r\n"
    ";* Longitude, Latitude, \"Name\"\r\n";

// "  -0.12345,  51.50000,"Kew"" and its line end.
void AppendTempRecord(std::string& out, float longitude, float latitude, std::string_view name);
// ";*    12 POI records written." and its line end.
void AppendTempTrailer(std::string& out, long long count);

}  // namespace nodalux::formats
