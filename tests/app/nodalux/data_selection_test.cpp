// Degree trigonometry, the flat-earth distance and the group selection.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "app/nodalux/degree_trig.h"
#include "app/nodalux/poi_data.h"
#include "tests/app/nodalux/data_test_support.h"

namespace nodalux {
namespace {

using testing::ScreenTest;
using testing::StatusLine;

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

class Select : public ScreenTest {
 protected:
  void AddPoi(float lon, float lat, std::string_view name) {
    POI_RECORD& poi = POI_TABLE[++POI_COUNT];
    poi.LONGITUDE = lon;
    poi.LATITUDE = lat;
    poi.NAME.assign(name);
  }
  void SetCircle(float lat, float lon, float radius) {
    CENTRE_LATITUDE = lat;
    CENTRE_LONGITUDE = lon;
    RADIUS_MILES = radius;
  }
};

TEST_F(Select, EmptyTableGivesEmptyGroupAndSaysSo) {
  GROUP_COUNT = 7;
  SELECT();
  EXPECT_EQ(GROUP_COUNT, 0);
  EXPECT_EQ(ScreenLines("status "),
            std::vector<std::string>{StatusLine(1, " Number of POI in group: 0")});
}

TEST_F(Select, RadiusDecidesAtSixtyNineMilesPerDegreeOnTheEquator) {
  AddPoi(1.0f, 0.0f, "one degree east");
  struct Case {
    float radius;
    std::int32_t count;
  };
  for (const Case c : {Case{70.0f, 1}, Case{69.0f, 0}, Case{69.17225f, 1}, Case{69.1722f, 0}}) {
    SetCircle(0.0f, 0.0f, c.radius);
    SELECT();
    EXPECT_EQ(GROUP_COUNT, c.count) << "radius " << c.radius;
  }
}

TEST_F(Select, PointExactlyOnTheCircleIsInside) {
  AddPoi(1.0f, 0.0f, "on the circle");
  float dist = 0.0f;
  FLAT_EARTH(0.0f, 0.0f, 0.0f, 1.0f, dist);
  SetCircle(0.0f, 0.0f, dist / 1609.3f);
  SELECT();
  EXPECT_EQ(GROUP_COUNT, 1);
}

TEST_F(Select, CentreItselfIsInsideForZeroRadiusButNotNegative) {
  AddPoi(-0.12345f, 51.5f, "centre");
  AddPoi(-0.12346f, 51.5f, "a metre off");
  SetCircle(51.5f, -0.12345f, 0.0f);
  SELECT();
  ASSERT_EQ(GROUP_COUNT, 1);
  EXPECT_EQ(GROUP_TABLE[1].NAME.str(), "centre");
  SetCircle(51.5f, -0.12345f, -1.0f);
  SELECT();
  EXPECT_EQ(GROUP_COUNT, 0);
}

TEST_F(Select, NoWrapAcrossTheHundredAndEightiethMeridian) {
  AddPoi(-179.9f, 0.0f, "west of the line");
  AddPoi(179.95f, 0.0f, "east of the line");
  SetCircle(0.0f, 179.9f, 100.0f);
  SELECT();
  ASSERT_EQ(GROUP_COUNT, 1);
  EXPECT_EQ(GROUP_TABLE[1].NAME.str(), "east of the line");
}

TEST_F(Select, KeepsTableOrderAndDuplicatesAndRepeatsExactly) {
  AddPoi(0.0f, 51.47604f, "A");
  AddPoi(5.0f, 51.47604f, "far");
  AddPoi(0.1f, 51.5f, "B");
  AddPoi(0.0f, 51.47604f, "A");
  SetCircle(51.47604f, 0.0f, 30.0f);
  SELECT();
  ASSERT_EQ(GROUP_COUNT, 3);
  const PoiTable first = GROUP_TABLE;
  EXPECT_EQ(GROUP_TABLE[1].NAME.str(), "A");
  EXPECT_EQ(GROUP_TABLE[2].NAME.str(), "B");
  EXPECT_EQ(GROUP_TABLE[3].NAME.str(), "A");
  EXPECT_EQ(GROUP_TABLE[2].LONGITUDE, 0.1f);
  SELECT();
  EXPECT_EQ(GROUP_COUNT, 3);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(GROUP_TABLE[i].NAME, first[i].NAME);
  EXPECT_EQ(ScreenLines("status ").back(), StatusLine(1, " Number of POI in group: 3"));
}

}  // namespace
}  // namespace nodalux
