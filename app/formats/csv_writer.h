// Writing AutoRoute CSV text: the header, then one line per POI with the
// coordinates as "(F10.5)" without leading blanks and the name in double
// quotes, CR LF line ends.
#pragma once

#include <string>
#include <string_view>

namespace nodalux::formats {

inline constexpr std::string_view kCsvHeader = "Longitude,Latitude,Name\r\n";

// Appends one record line: -0.12346,51.50000,"Kew". A double quote inside
// the name is doubled, so that the line reads back whole.
void AppendCsvRecord(std::string& out, float longitude, float latitude, std::string_view name);

}  // namespace nodalux::formats
