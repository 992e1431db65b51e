#include <gtest/gtest.h>

#include "tests/toolkit/core/window_fixture.h"
#include "toolkit/core/event_queue.h"
#include "toolkit/core/window_units.h"

namespace zarv::testing {
namespace {

using WindowDrawing = RootWindowTest;

TEST(WindowUnits, ConvertBothWaysWithTruncation) {
  EXPECT_EQ(UnitsToPixels(0, 512), 0);
  EXPECT_EQ(UnitsToPixels(9999, 512), 511);
  EXPECT_EQ(UnitsToPixels(3500, 512), 178);
  EXPECT_EQ(UnitsToPixels(5000, 0), 0);
  EXPECT_EQ(PixelsToUnits(0, 512), 9);
  EXPECT_EQ(PixelsToUnits(511, 512), 9989);
  EXPECT_EQ(PixelsToUnits(100, 1), 0);
  for (int units : {0, 1234, 5000, 9999}) {
    // Back and forth lands within one pixel's worth of units.
    const int back = PixelsToUnits(UnitsToPixels(units, 640), 640);
    EXPECT_NEAR(back, units, 9999 / 640 + 1);
  }
}

TEST_F(WindowDrawing, ListRowsLandOnTheirPixelRows) {
  OpenProgramWindow();
  const int expected[12] = {20, 40, 61, 81, 102, 122, 142, 163, 183, 204, 224, 244};
  for (int i = 1; i <= 12; ++i) WindowTextAt(160, 800 * i, "row");
  ASSERT_EQ(fake().texts.size(), 12u);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(fake().texts[static_cast<std::size_t>(i)].y, expected[i]) << "row " << i + 1;
    EXPECT_EQ(fake().texts[static_cast<std::size_t>(i)].x, 8);
  }
}

TEST_F(WindowDrawing, TextKeepsTrailingBlanksBlackOnWhite) {
  OpenProgramWindow();
  WindowTextAt(0, 5000, "abc     ");
  ASSERT_EQ(fake().texts.size(), 1u);
  const Drawn& d = fake().texts[0];
  EXPECT_EQ(d.text, "abc     ");  // the blanks paint the background band
  EXPECT_EQ(d.y, 127);
  EXPECT_EQ(d.fg.r, 0);
  EXPECT_EQ(d.bg.r, 255);
  EXPECT_EQ(d.bg.g, 255);
  EXPECT_EQ(d.bg.b, 255);
}

TEST_F(WindowDrawing, HugeSizesAndPositionsAreClampedNotOverflowed) {
  OpenProgramWindow();
  // A backend reporting an absurd client, a resize beyond any screen, a
  // repaint far outside: the sizes are clamped where they enter.
  fake().client = {2147483647, 2147483647};
  fake().waits.push_back({{InputKind::kResize, 2147483647, 2147483647}});
  fake().waits.push_back({{InputKind::kExpose, 2147483600, -2147483647, 2147483647, 2147483647}});
  int kind = 0;
  EventRecord rec;
  WEventWait(kind, rec);
  ASSERT_EQ(kind, EvResized);
  EXPECT_EQ(rec.Value1, zarv::platform::kMaxClientSide);
  EXPECT_EQ(ClientWidth(), zarv::platform::kMaxClientSide);
  WEventWait(kind, rec);
  ASSERT_EQ(kind, EvRepaint);
  EXPECT_EQ(rec.X, zarv::platform::kMaxClientSide);
  EXPECT_EQ(rec.Value1, 0);
  EXPECT_EQ(rec.Y, 0);
  EXPECT_EQ(rec.Value2, 0);  // it ends at the top edge

  WindowClearArea();
  const int far = 2147483647, before = -2147483647;
  WindowClearArea(&before, &before, &far, &far);
  WindowTextAt(far, far, "x");
  ASSERT_EQ(fake().fills.size(), 2u);
  EXPECT_EQ(fake().fills[0].right, zarv::platform::kMaxClientSide + 1);
  EXPECT_EQ(fake().fills[1].left, -(1 << 30));
  EXPECT_EQ(fake().fills[1].right, (1 << 30) + 2);
  ASSERT_EQ(fake().texts.size(), 1u);
  EXPECT_EQ(fake().texts[0].x, 1 << 30);
}

TEST_F(WindowDrawing, ClearAreaCoversTwoPixelsBeyondItsCorner) {
  OpenProgramWindow();
  WindowClearArea();
  const int l = 0, t = 5000, r = 9999, b = 9999, red = 9, background = -1, bad = 77;
  WindowClearArea(&l, &t, &r, &b, &red);
  WindowClearArea(&l, &t, nullptr, nullptr, &background);
  WindowClearArea(nullptr, nullptr, nullptr, nullptr, &bad);
  ASSERT_EQ(fake().fills.size(), 4u);
  const Fill& whole = fake().fills[0];
  EXPECT_EQ(whole.left, 0);
  EXPECT_EQ(whole.top, 0);
  EXPECT_EQ(whole.right, 513);
  EXPECT_EQ(whole.bottom, 257);
  EXPECT_EQ(whole.colour.g, 255);
  const Fill& lower = fake().fills[1];
  EXPECT_EQ(lower.top, 127);
  EXPECT_EQ(lower.right, 513);
  EXPECT_EQ(lower.bottom, 257);
  EXPECT_EQ(lower.colour.r, 255);
  EXPECT_EQ(lower.colour.g, 0);
  EXPECT_EQ(fake().fills[2].colour.b, 255);
  EXPECT_EQ(fake().fills[3].colour.g, 255);
}

TEST_F(WindowDrawing, StatusBarDividerAndTexts) {
  OpenProgramWindow();
  const int widths[] = {3500, -1, 2000};
  WindowStatusParts(2, widths);
  EXPECT_EQ(fake().status_edges, (std::vector<int>{178, -1}));
  WindowStatusParts(3, widths);  // -1 ends the division
  EXPECT_EQ(fake().status_edges, (std::vector<int>{178, -1}));
  const int halves[] = {5000, 5000};
  WindowStatusParts(2, halves);
  EXPECT_EQ(fake().status_edges, (std::vector<int>{255, 510}));
  WindowStatusParts(0, widths);
  WindowStatusParts(256, widths);
  EXPECT_EQ(fake().status_edges, (std::vector<int>{255, 510}));

  WindowStatusText(1, " Number of POI in group: 0     ");
  WindowStatusText(0, "no");
  WindowStatusText(256, "no");
  EXPECT_EQ(fake().status.size(), 1u);
  EXPECT_EQ(fake().status[1], " Number of POI in group: 0");
}

TEST_F(WindowDrawing, StatusCallsWithoutAStatusBarDoNothing) {
  WindowOpen2(1, -1, -1, 512, 256, 0, {0, 0, 0, 0}, nullptr, "t", 16);
  const int widths[] = {3500, -1};
  WindowStatusParts(2, widths);
  WindowStatusText(1, "x");
  EXPECT_TRUE(fake().status_edges.empty());
  EXPECT_TRUE(fake().status.empty());
}

}  // namespace
}  // namespace zarv::testing
