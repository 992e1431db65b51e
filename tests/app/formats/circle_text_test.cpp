// The circle as the settings store keeps it, both ways.
#include <gtest/gtest.h>

#include "app/formats/circle_text.h"

namespace nodalux::formats {
namespace {

TEST(CircleText, WritesFixedFieldsWideningOnlyTheRadius) {
  EXPECT_EQ(CircleText({51.47604f, 0.0f, 30.0f}), "  51.47604,   0.00000, 30.00");
  EXPECT_EQ(CircleText({-33.75f, 151.25f, 12.5f}), " -33.75000, 151.25000, 12.50");
  EXPECT_EQ(CircleText({0.0f, 0.0f, 12345.5f}), "   0.00000,   0.00000,12345.50");
}

TEST(CircleText, ReadsAnyThreeNumbersOrNothing) {
  struct Case {
    const char* text;
    bool read;
    geo::Circle circle;
  };
  const geo::Circle before{1.0f, 2.0f, 3.0f};
  const Case cases[] = {
      {"  51.47604,   0.00000, 30.00", true, {51.47604f, 0.0f, 30.0f}},
      {"51.5 -0.1 25", true, {51.5f, -0.1f, 25.0f}},
      {"51.5,,25", true, {51.5f, 2.0f, 25.0f}},  // an empty item keeps its value
      {"7/", true, {7.0f, 2.0f, 3.0f}},          // a slash keeps the rest
      {"51.5, 0.1", false, {}},
      {"51.5, north, 3", false, {}},
      {"", false, {}},
      {"   ", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    geo::Circle circle = before;
    ASSERT_EQ(ReadCircleText(c.text, &circle), c.read);
    if (!c.read) continue;
    EXPECT_EQ(circle.latitude, c.circle.latitude);
    EXPECT_EQ(circle.longitude, c.circle.longitude);
    EXPECT_EQ(circle.radius_miles, c.circle.radius_miles);
  }
}

}  // namespace
}  // namespace nodalux::formats
