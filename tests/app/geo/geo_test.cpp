// Degree trigonometry, the flat-earth distance and the inside test, to the
// bit against gfortran's real(4) results.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "app/geo/circle.h"
#include "app/geo/degree_trig.h"

namespace nodalux::geo {
namespace {

std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

TEST(DegreeTrig, QuarterTurnsAreExactWhateverTheTurn) {
  struct Case {
    float degrees, sine, cosine;
  };
  const Case cases[] = {
      {0, 0, 1},     {90, 1, 0},    {180, 0, -1},  {270, -1, 0},   {360, 0, 1},
      {-90, -1, 0},  {-270, 1, 0},  {450, 1, 0},   {720, 0, 1},    {-540, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.degrees);
    EXPECT_EQ(SIND(c.degrees), c.sine);
    EXPECT_EQ(COSD(c.degrees), c.cosine);
  }
}

// Bit patterns from gfortran's SIND and COSD on real(4).
TEST(DegreeTrig, MatchesFortranRealFourResults) {
  struct Case {
    std::uint32_t degrees, sine, cosine;
  };
  const Case cases[] = {
      {0x424DE777u, 0x3F4847F1u, 0x3F1F7291u},  // 51.47604
      {0xC231F11Du, 0xBF3362EEu, 0x3F36A33Cu},
      {0x42A044F0u, 0x3F7C36EDu, 0x3E2F7207u},
      {0x42B87D87u, 0x3F7FCDB1u, 0xBD207696u},
      {0x49648E03u, 0x3EAD89F6u, 0xBF70D8B8u},  // many turns
      {0x0DA24260u, 0x0AB53ECFu, 0x3F800000u},  // tiny
      {0x41F00000u, 0x3F000000u, 0x3F5DB3D7u},  // 30
      {0x60AD78ECu, 0xBF7FD814u, 0x3D0EF2C6u},  // 1e20
  };
  for (const Case& c : cases) {
    const float degrees = std::bit_cast<float>(c.degrees);
    SCOPED_TRACE(degrees);
    EXPECT_EQ(Bits(SIND(degrees)), c.sine);
    EXPECT_EQ(Bits(COSD(degrees)), c.cosine);
  }
}

TEST(DegreeTrig, NotANumberForInfinity) {
  EXPECT_TRUE(std::isnan(SIND(std::numeric_limits<float>::infinity())));
  EXPECT_TRUE(std::isnan(COSD(-std::numeric_limits<float>::infinity())));
}

// Distances as the same steps give them in gfortran with real(4).
TEST(FlatEarth, MatchesFortranRealFourDistances) {
  struct Case {
    float lat0, lon0, lat, lon;
    std::uint32_t metres;
  };
  const Case cases[] = {
      {0.0f, 0.0f, 0.0f, 1.0f, 0x47D96B73u},            // 111318.9 m = 69.17 miles
      {51.47604f, 0.0f, 51.5f, -0.12345f, 0x460C4FC8u},  // 8979.9 m
      {51.47604f, 0.0f, 51.9f, 0.5f, 0x47648651u},
      {-33.9f, 151.2f, -34.0f, 151.0f, 0x46A875B5u},
      {0.0f, 179.9f, 0.0f, -179.9f, 0x4C18C9CFu},  // no wrap at the 180th meridian
      {90.0f, 0.0f, 89.0f, 10.0f, 0x47D96B73u},    // at the pole east-west counts nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.lat0 << "," << c.lon0 << " -> " << c.lat << "," << c.lon);
    float dist = -1.0f;
    FLAT_EARTH(c.lat0, c.lon0, c.lat, c.lon, dist);
    EXPECT_EQ(Bits(dist), c.metres) << dist;
  }
}

struct Poi {
  float longitude, latitude;
};

TEST(Inside, TheCircleDecidesAsTheDistanceInMilesDoes) {
  const Circle equator{0.0f, 0.0f, 69.17225f};
  EXPECT_TRUE(Inside(equator, 0.0f, 1.0f));
  EXPECT_TRUE(Inside(equator, Poi{1.0f, 0.0f}));
  EXPECT_FALSE(Inside(Circle{0.0f, 0.0f, 69.1722f}, Poi{1.0f, 0.0f}));
  // A point exactly on the circle is inside; nothing is inside a negative
  // radius, the centre is inside a radius of 0.
  float dist = 0.0f;
  FLAT_EARTH(51.47604f, 0.0f, 51.9f, 0.5f, dist);
  EXPECT_TRUE(Inside(Circle{51.47604f, 0.0f, dist / kMetresPerMile}, 51.9f, 0.5f));
  EXPECT_TRUE(Inside(Circle{51.5f, -0.12345f, 0.0f}, 51.5f, -0.12345f));
  EXPECT_FALSE(Inside(Circle{51.5f, -0.12345f, -1.0f}, 51.5f, -0.12345f));
  // The test made once for a circle agrees with the one-off test.
  const CircleTest once(equator);
  for (float lon = -2.0f; lon <= 2.0f; lon += 0.125f) {
    EXPECT_EQ(once.inside(0.5f, lon), Inside(equator, 0.5f, lon)) << lon;
  }
}

// The test for a circle decides without the square root and the division
// of the distance; it must decide exactly as they do, on the circle itself
// and one float either side of it included.
TEST(Inside, DecidesAsTheDistanceInMilesWouldToTheLastBit) {
  const auto by_distance = [](const Circle& c, float lat, float lon) {
    float dist = 0.0f;
    FLAT_EARTH(c.latitude, c.longitude, lat, lon, dist);
    return dist / kMetresPerMile <= c.radius_miles;
  };
  std::uint32_t seed = 7;
  const auto uniform = [&seed](float low, float high) {
    seed = seed * 1664525u + 1013904223u;
    return low + (high - low) * static_cast<float>(seed >> 8) / 16777216.0f;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int i = 0; i < 20000; ++i) {
    Circle c{uniform(-90, 90), uniform(-180, 180), 0.0f};
    const float lat = i % 3 ? c.latitude + uniform(-2, 2) : uniform(-1e30f, 1e30f);
    const float lon = i % 3 ? c.longitude + uniform(-2, 2) : uniform(-1e30f, 1e30f);
    float dist = 0.0f;
    FLAT_EARTH(c.latitude, c.longitude, lat, lon, dist);
    const float on = dist / kMetresPerMile;
    for (const float radius : {on, std::nextafter(on, -inf), std::nextafter(on, inf), uniform(0, 200),
                               0.0f, -0.0f, -1.0f, inf, nan, 3.4e38f}) {
      c.radius_miles = radius;
      ASSERT_EQ(CircleTest(c).inside(lat, lon), by_distance(c, lat, lon))
          << c.latitude << " " << c.longitude << " r=" << radius << " at " << lat << " " << lon;
    }
    c.radius_miles = 30.0f;
    ASSERT_EQ(CircleTest(c).inside(nan, lon), false);
    ASSERT_EQ(CircleTest(c).inside(lat, inf), by_distance(c, lat, inf));
  }
}

}  // namespace
}  // namespace nodalux::geo
