#include "app/geo/circle.h"

#include <cmath>

#include "app/geo/degree_trig.h"

namespace nodalux::geo {
namespace {

constexpr float kEquatorialRadiusKm = 6378.137f;
constexpr float kEccentricityConstant = 0.0066831387f;
// Deliberately short of pi/180: distances and so groups depend on it.
constexpr float kDegreesToRadians = 0.0174532f;
constexpr float kMetresPerKm = 1000.0f;

struct Curvature {
  float m;
  float n;
  float cosine;
};

Curvature CurvatureAt(float lat0) {
  const float e = std::sqrt(kEccentricityConstant);
  const float e2 = e * e;
  const float sine = SIND(lat0);
  const float w = 1.0f - e2 * (sine * sine);
  return {kEquatorialRadiusKm * (1.0f - e2) / w,  // W, not W**1.5
          kEquatorialRadiusKm / std::sqrt(w), COSD(lat0)};
}

float Distance(float m, float n, float cosine, float lat0, float lon0, float lat, float lon) {
  const float dy = (lat - lat0) * m * kDegreesToRadians;
  const float dx = (lon - lon0) * n * cosine * kDegreesToRadians;
  return kMetresPerKm * std::sqrt(dx * dx + dy * dy);
}

}  // namespace

void FLAT_EARTH(const float& LAT0, const float& LON0, const float& LAT, const float& LON,
                float& DIST) {
  const Curvature c = CurvatureAt(LAT0);
  DIST = Distance(c.m, c.n, c.cosine, LAT0, LON0, LAT, LON);
}

CircleTest::CircleTest(const Circle& circle) : circle_(circle) {
  const Curvature c = CurvatureAt(circle.latitude);
  m_ = c.m;
  n_ = c.n;
  cosine_ = c.cosine;
}

bool CircleTest::inside(float latitude, float longitude) const {
  const float dist = Distance(m_, n_, cosine_, circle_.latitude, circle_.longitude, latitude, longitude);
  return dist / kMetresPerMile <= circle_.radius_miles;
}

bool Inside(const Circle& circle, float latitude, float longitude) {
  return CircleTest(circle).inside(latitude, longitude);
}

}  // namespace nodalux::geo
