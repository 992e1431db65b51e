// Writing the group: AutoRoute CSV exactly as the desktop program saves it,
// GPX 1.1 waypoints, and the SVG picture. Each goes into an OutputFile,
// which the caller commits once everything has been written.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "app/geo/circle.h"
#include "tools/batch/names.h"
#include "tools/batch/output_file.h"
#include "tools/batch/poi_set.h"

namespace nodalux::batch {

// The members of the group: indexes into the set, in reading order.
using Group = std::span<const std::uint32_t>;

// False after a message.
bool WriteCsv(const PoiSet& set, Group group, NameConverter& names, OutputFile& out);
bool WriteGpx(const PoiSet& set, Group group, NameConverter& names, OutputFile& out,
              Messages& messages);
// Every POI of the set, the group in its own colour, and the circle (none
// when every POI is kept).
bool WritePlot(const PoiSet& set, const std::optional<geo::Circle>& circle, OutputFile& out);

}  // namespace nodalux::batch
