// The group selection: the group table, its order and the status line.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/geo/circle.h"
#include "app/nodalux/poi_files.h"
#include "app/shared/program_state.h"
#include "tests/app/shared/data_test_support.h"

namespace nodalux {
namespace {

using testing::ScreenTest;
using testing::StatusLine;

class Select : public ScreenTest {
 protected:
  void AddPoi(float lon, float lat, std::string_view name) {
    POI_TABLE.put(++POI_COUNT, lon, lat, name);
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
  geo::FLAT_EARTH(0.0f, 0.0f, 0.0f, 1.0f, dist);
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
