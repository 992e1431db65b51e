// SELECT: the group is the POI inside the circle, in table order.
#include <algorithm>
#include <string>

#include "app/geo/circle.h"
#include "app/nodalux/poi_files.h"
#include "app/shared/program_state.h"
#include "toolkit/core/window.h"

namespace nodalux {

void SELECT() {
  // The group is rebuilt from nothing; it shares the loaded POI's names.
  GROUP_TABLE.clear();
  GROUP_COUNT = 0;
  const std::int32_t count = std::clamp(POI_COUNT, 0, MAX_POI);
  const geo::CircleTest circle({CENTRE_LATITUDE, CENTRE_LONGITUDE, RADIUS_MILES});
  for (std::int32_t i = 1; i <= count; ++i) {
    const PoiRef poi = POI_TABLE.at(i);
    if (circle.inside(poi.latitude, poi.longitude)) {
      GROUP_TABLE.append_copy(POI_TABLE, i);
      ++GROUP_COUNT;
    }
  }
  WindowStatusText(1, " Number of POI in group: " + std::to_string(GROUP_COUNT));
}

}  // namespace nodalux
