// The POI and group tables, and the selection of the group by distance.
#include "app/nodalux/poi_data.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/nodalux/degree_trig.h"
#include "toolkit/core/window.h"

namespace nodalux {

PoiTable POI_TABLE;
PoiTable GROUP_TABLE;
std::int32_t POI_COUNT = 0;
std::int32_t GROUP_COUNT = 0;
std::int32_t READ_COUNT = 0;
float CENTRE_LATITUDE = 0.0f;
float CENTRE_LONGITUDE = 0.0f;
float RADIUS_MILES = 0.0f;

namespace {
constexpr float kEquatorialRadiusKm = 6378.137f;
constexpr float kEccentricityConstant = 0.0066831387f;
// Deliberately short of pi/180: distances and so groups depend on it.
constexpr float kDegreesToRadians = 0.0174532f;
constexpr float kMetresPerKm = 1000.0f;
constexpr float kMetresPerMile = 1609.3f;
}  // namespace

// Every step is in 32-bit floats, as the stored groups were computed.
void FLAT_EARTH(const float& LAT0, const float& LON0, const float& LAT, const float& LON,
                float& DIST) {
  const float e = std::sqrt(kEccentricityConstant);
  const float e2 = e * e;
  const float sine = SIND(LAT0);
  const float w = 1.0f - e2 * (sine * sine);
  const float m = kEquatorialRadiusKm * (1.0f - e2) / w;  // W, not W**1.5
  const float n = kEquatorialRadiusKm / std::sqrt(w);
  const float dy = (LAT - LAT0) * m * kDegreesToRadians;
  const float dx = (LON - LON0) * n * COSD(LAT0) * kDegreesToRadians;
  DIST = kMetresPerKm * std::sqrt(dx * dx + dy * dy);
}

void SELECT() {
  GROUP_COUNT = 0;
  const std::int32_t count = std::clamp(POI_COUNT, 0, MAX_POI);
  for (std::int32_t i = 1; i <= count; ++i) {
    const POI_RECORD& poi = POI_TABLE[i];
    float dist = 0.0f;
    FLAT_EARTH(CENTRE_LATITUDE, CENTRE_LONGITUDE, poi.LATITUDE, poi.LONGITUDE, dist);
    if (dist / kMetresPerMile <= RADIUS_MILES) GROUP_TABLE[++GROUP_COUNT] = poi;
  }
  WindowStatusText(1, " Number of POI in group: " + std::to_string(GROUP_COUNT));
}

}  // namespace nodalux
