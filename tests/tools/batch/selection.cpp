#include "tests/tools/batch/selection.h"

#include "app/geo/circle.h"
#include "app/nodalux/poi_files.h"
#include "app/shared/program_state.h"

namespace nodalux::batch::testing {

float SelectionDistance(float lat0, float lon0, float lat, float lon) {
  float dist = 0;
  geo::FLAT_EARTH(lat0, lon0, lat, lon, dist);
  return dist;
}

std::int32_t DesktopGroupSize(std::span<const formats::Poi> pois, float latitude,
                              float longitude, float radius_miles) {
  POI_COUNT = 0;
  for (const formats::Poi& poi : pois) {
    if (POI_COUNT == MAX_POI) break;
    POI_TABLE.put(++POI_COUNT, poi.longitude, poi.latitude, "");
  }
  CENTRE_LATITUDE = latitude;
  CENTRE_LONGITUDE = longitude;
  RADIUS_MILES = radius_miles;
  SELECT();
  return GROUP_COUNT;
}

}  // namespace nodalux::batch::testing
