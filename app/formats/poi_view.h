// One point of interest as the readers give it: its name is a view into the
// reader, valid until the reader's next call.
#pragma once

#include <cstddef>
#include <string_view>

namespace nodalux::formats {

// Name bytes a POI keeps; longer names are cut.
inline constexpr std::size_t kNameLength = 128;

struct PoiView {
  float longitude = 0.0f;  // decimal degrees, east positive
  float latitude = 0.0f;   // decimal degrees, north positive
  std::string_view name;   // at most kNameLength bytes; a view into the reader
};

}  // namespace nodalux::formats
