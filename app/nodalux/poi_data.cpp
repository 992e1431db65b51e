// The POI and group tables, and the selection of the group by distance.
#include "app/nodalux/poi_data.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/nodalux/app_state.h"
#include "app/nodalux/degree_trig.h"
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

namespace {
constexpr float kEquatorialRadiusKm = 6378.137f;
constexpr float kEccentricityConstant = 0.0066831387f;
// Deliberately short of pi/180: distances and so groups depend on it.
constexpr float kDegreesToRadians = 0.0174532f;
constexpr float kMetresPerKm = 1000.0f;
constexpr float kMetresPerMile = 1609.3f;
}  // namespace

namespace {

// What the distance takes from the first position's latitude alone: the
// radii of curvature there and the cosine. A selection works it out once for
// its centre; the arithmetic of each distance stays exactly the same.
struct Curvature {
  float m;       // north-south, km per radian
  float n;       // east-west, km per radian
  float cosine;  // of the latitude
};

Curvature CurvatureAt(float lat0) {
  const float e = std::sqrt(kEccentricityConstant);
  const float e2 = e * e;
  const float sine = SIND(lat0);
  const float w = 1.0f - e2 * (sine * sine);
  return {kEquatorialRadiusKm * (1.0f - e2) / w,  // W, not W**1.5
          kEquatorialRadiusKm / std::sqrt(w), COSD(lat0)};
}

float Distance(const Curvature& c, float lat0, float lon0, float lat, float lon) {
  const float dy = (lat - lat0) * c.m * kDegreesToRadians;
  const float dx = (lon - lon0) * c.n * c.cosine * kDegreesToRadians;
  return kMetresPerKm * std::sqrt(dx * dx + dy * dy);
}

}  // namespace

// Every step is in 32-bit floats, as the stored groups were computed.
void FLAT_EARTH(const float& LAT0, const float& LON0, const float& LAT, const float& LON,
                float& DIST) {
  DIST = Distance(CurvatureAt(LAT0), LAT0, LON0, LAT, LON);
}

void SELECT() {
  GROUP_COUNT = 0;
  const std::int32_t count = std::clamp(POI_COUNT, 0, MAX_POI);
  const Curvature centre = CurvatureAt(CENTRE_LATITUDE);
  for (std::int32_t i = 1; i <= count; ++i) {
    const POI_RECORD& poi = POI_TABLE[i];
    const float dist =
        Distance(centre, CENTRE_LATITUDE, CENTRE_LONGITUDE, poi.LATITUDE, poi.LONGITUDE);
    if (dist / kMetresPerMile <= RADIUS_MILES) GROUP_TABLE[++GROUP_COUNT] = poi;
  }
  WindowStatusText(1, " Number of POI in group: " + std::to_string(GROUP_COUNT));
}

void ReportStorageLimit() {
  WMessageBox(0, 4, 1, "Too many POI entries in file.\rMaximum is" + IntegerField(MAX_POI, 6),
              "Storage limit");
  QUIT_REQUESTED = true;
}

}  // namespace nodalux
