// The POI and group tables, and the selection of the group by distance.
#include "app/nodalux/poi_data.h"

#include <algorithm>
#include <string>

#include "app/nodalux/app_state.h"
#include "app/geo/circle.h"
#include "app/nodalux/number_fields.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {

PoiTable POI_TABLE;
PoiTable GROUP_TABLE;
std::int32_t POI_COUNT = 0;
std::int32_t GROUP_COUNT = 0;
std::int32_t READ_COUNT = 0;
// The circle in force before the settings are read; a value left empty in
// the stored circle keeps it.
float CENTRE_LATITUDE = 51.23804f;
float CENTRE_LONGITUDE = -0.78157f;
float RADIUS_MILES = 30.0f;

void SELECT() {
  GROUP_COUNT = 0;
  const std::int32_t count = std::clamp(POI_COUNT, 0, MAX_POI);
  const geo::CircleTest circle({CENTRE_LATITUDE, CENTRE_LONGITUDE, RADIUS_MILES});
  for (std::int32_t i = 1; i <= count; ++i) {
    const POI_RECORD& poi = POI_TABLE[i];
    if (circle.inside(poi.LATITUDE, poi.LONGITUDE)) GROUP_TABLE[++GROUP_COUNT] = poi;
  }
  WindowStatusText(1, " Number of POI in group: " + std::to_string(GROUP_COUNT));
}

void ReportStorageLimit() {
  WMessageBox(0, 4, 1, "Too many POI entries in file.\rMaximum is" + IntegerField(MAX_POI, 6),
              "Storage limit");
  QUIT_REQUESTED = true;
}

}  // namespace nodalux
