// GPSBabel's unicsv as the tests read it: commas between fields, double
// quotes around some, doubled inside; a header naming the columns.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace nodalux::gpx::testing {

// The fields of one line of GPSBabel's unicsv: commas between fields,
// double quotes around some, doubled inside.
inline std::vector<std::string> CsvFields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

struct CsvPoint {
  double latitude, longitude;
  std::string name;
};

inline std::vector<CsvPoint> ParseUnicsv(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(CsvFields(line), (std::vector<std::string>{"No", "Latitude", "Longitude", "Name"}));
  std::vector<CsvPoint> points;
  while (std::getline(in, line)) {
    const auto f = CsvFields(line);
    if (f.size() < 4) continue;
    points.push_back({std::stod(f[1]), std::stod(f[2]), f[3]});
  }
  return points;
}

}  // namespace nodalux::gpx::testing
