// The group's circle and the distance that decides what lies inside it: a
// locally flat earth scaled by the ellipsoid's radii of curvature at the
// centre's latitude. Pure functions on 32-bit floats, step for step as the
// stored groups were computed, so a group is the same to the bit wherever
// it is selected.
#pragma once

namespace nodalux::geo {

inline constexpr float kMetresPerMile = 1609.3f;

struct Circle {
  float latitude = 0.0f;   // centre, signed degrees (south negative)
  float longitude = 0.0f;  // centre, signed degrees (west negative)
  float radius_miles = 0.0f;
};

// Distance in metres from (LAT0, LON0) to (LAT, LON), signed degrees, with
// no wrap at the 180th meridian.
void FLAT_EARTH(const float& LAT0, const float& LON0, const float& LAT, const float& LON,
                float& DIST);

// Whether positions lie inside one circle: what depends on the centre alone
// is worked out once, the arithmetic of each distance stays the same.
class CircleTest {
 public:
  explicit CircleTest(const Circle& circle);
  // Inside when the distance in miles is at most the radius: a point exactly
  // on the circle is inside, nothing is inside a negative radius.
  bool inside(float latitude, float longitude) const {
    const float dy = (latitude - circle_.latitude) * m_ * kRadians;
    const float dx = (longitude - circle_.longitude) * n_ * cosine_ * kRadians;
    return dx * dx + dy * dy <= squared_limit_;
  }

 private:
  // Deliberately short of pi/180: distances and so groups depend on it.
  static constexpr float kRadians = 0.0174532f;

  Circle circle_;
  float m_;       // north-south, km per radian
  float n_;       // east-west, km per radian
  float cosine_;  // of the centre's latitude
  // The distance in miles grows with dx * dx + dy * dy, one float step
  // after another; this is the largest sum whose distance is still within
  // the radius (negative when none is), so the test needs neither the
  // square root nor the division and decides exactly as they would.
  float squared_limit_;
};

bool Inside(const Circle& circle, float latitude, float longitude);
// Anything with `latitude` and `longitude` members: a POI of the readers.
template <typename Poi>
bool Inside(const Circle& circle, const Poi& poi) {
  return Inside(circle, poi.latitude, poi.longitude);
}

}  // namespace nodalux::geo
