// The desktop program's own distance and selection, for comparing the
// batch program's picture with them.
#pragma once

#include <cstdint>
#include <span>

#include "app/formats/gpx/poi.h"

namespace nodalux::batch::testing {

// The distance the selection uses, in metres.
float SelectionDistance(float lat0, float lon0, float lat, float lon);

// The desktop program's SELECT over `pois` with the given circle: the
// number of POI in its group. Needs the headless screen of ScreenTest.
std::int32_t DesktopGroupSize(std::span<const formats::Poi> pois, float latitude,
                              float longitude, float radius_miles);

}  // namespace nodalux::batch::testing
