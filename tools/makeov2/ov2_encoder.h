// Encodes POI as an OV2 overlay: type-2 POI records grouped under type-1
// skipper records, so that a device can skip every block whose bounding box
// lies off screen.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/makeov2/temp_line.h"

namespace makeov2 {

// A leaf block holds at most this many POI.
inline constexpr std::size_t kPoiPerLeaf = 25;

// The file's bytes. The POI of one leaf keep their input order; leaves are
// formed by halving the set along its wider side. Empty when the file would
// outgrow the 32-bit sizes of the format.
std::optional<std::string> EncodeOv2(std::vector<Ov2Poi> pois);

}  // namespace makeov2
