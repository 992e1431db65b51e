#include "app/geo/circle.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "app/geo/degree_trig.h"

namespace nodalux::geo {
namespace {

constexpr float kEquatorialRadiusKm = 6378.137f;
constexpr float kEccentricityConstant = 0.0066831387f;
// Deliberately short of pi/180: distances and so groups depend on it.
constexpr float kDegreesToRadians = 0.0174532f;
constexpr float kMetresPerKm = 1000.0f;

// The distance in miles of a point whose dx * dx + dy * dy is `sum`.
float Miles(float sum) { return kMetresPerKm * std::sqrt(sum) / kMetresPerMile; }

// The largest sum of squares (a float of 0 up to infinity) whose distance is
// at most `radius_miles`, or -1 when not even 0 is. Miles() never falls as
// the sum grows (each step rounds a growing value), and the order of the
// bits of non-negative floats is the order of their values, so the sums
// inside are exactly those from 0 up to a bound that halving finds.
float SquaredLimit(float radius_miles) {
  const auto inside = [radius_miles](std::uint32_t bits) {
    return Miles(std::bit_cast<float>(bits)) <= radius_miles;
  };
  constexpr std::uint32_t kInfinity = 0x7F800000u;
  if (!inside(0)) return -1.0f;
  if (inside(kInfinity)) return std::bit_cast<float>(kInfinity);
  std::uint32_t in = 0;
  std::uint32_t out = kInfinity;
  while (out - in > 1) {
    const std::uint32_t mid = in + (out - in) / 2;
    (inside(mid) ? in : out) = mid;
  }
  return std::bit_cast<float>(in);
}

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
  squared_limit_ = SquaredLimit(circle.radius_miles);
  static_assert(kRadians == kDegreesToRadians);
}

bool Inside(const Circle& circle, float latitude, float longitude) {
  return CircleTest(circle).inside(latitude, longitude);
}

}  // namespace nodalux::geo
