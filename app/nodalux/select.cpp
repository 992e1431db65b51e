// SELECT: the group is the POI inside the circle, in table order.
#include <algorithm>
#include <string>
#include <utility>

#include "app/geo/circle.h"
#include "app/nodalux/poi_files.h"
#include "app/shared/program_state.h"
#include "toolkit/core/window.h"

namespace nodalux {

void SELECT() {
  GROUP_COUNT = 0;
  const std::int32_t count = std::clamp(POI_COUNT, 0, MAX_POI);
  const geo::CircleTest circle({CENTRE_LATITUDE, CENTRE_LONGITUDE, RADIUS_MILES});
  for (std::int32_t i = 1; i <= count; ++i) {
    const POI_RECORD& poi = std::as_const(POI_TABLE)[i];
    if (circle.inside(poi.LATITUDE, poi.LONGITUDE)) GROUP_TABLE[++GROUP_COUNT] = poi;
  }
  WindowStatusText(1, " Number of POI in group: " + std::to_string(GROUP_COUNT));
}

}  // namespace nodalux
