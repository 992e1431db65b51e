// One named position as the format libraries hand it over.
#pragma once

#include <string>

namespace nodalux::formats {

struct Poi {
  float longitude = 0.0f;  // decimal degrees, east positive
  float latitude = 0.0f;   // decimal degrees, north positive
  std::string name;        // UTF-8 in GPX; bytes in OV2 and CSV

  friend bool operator==(const Poi&, const Poi&) = default;
};

}  // namespace nodalux::formats
