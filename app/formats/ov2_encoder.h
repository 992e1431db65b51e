// Encodes POI as an OV2 overlay: type-2 POI records grouped under type-1
// skipper records, so that a device can skip every block whose bounding box
// lies off screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nodalux::formats {

// A POI in the units of the OV2 file: 1/100000 degree. The name is raw
// bytes without a NUL, owned by the caller.
struct Ov2Record {
  std::int32_t longitude = 0;
  std::int32_t latitude = 0;
  std::string_view name;
};

// A leaf block holds at most this many POI.
inline constexpr std::size_t kPoiPerLeaf = 25;

// The file's bytes. Leaves are formed by halving the set along its wider
// side after a stable sort along it; POI that tie keep their input order
// (the records are reordered in place, to the order the file holds them). Empty when the file would outgrow the 32-bit sizes of the
// format.
std::optional<std::string> EncodeOv2(std::span<Ov2Record> pois);

}  // namespace nodalux::formats
