#include "toolkit/core/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, PadsCutsAndTrims) {
  zarv::Text<5> t("ab");
  EXPECT_EQ(t.view(), "ab   ");
  EXPECT_EQ(t.trimmed(), "ab");
  t.assign("abcdefg");
  EXPECT_EQ(t.view(), "abcde");
  t.clear();
  EXPECT_TRUE(t.blank());
  EXPECT_EQ(zarv::Trimmed("  x  "), "  x");
  EXPECT_EQ(zarv::LeftTrimmed("  x  "), "x  ");
}

TEST(Text, SpanWritesIntoTheOwner) {
  zarv::Text<4> t;
  zarv::TextSpan s = t;
  s.assign("xy");
  EXPECT_EQ(t.view(), "xy  ");
}

}  // namespace
