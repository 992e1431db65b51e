// The message list (SCROLL, REFRESH) and the shortened display path (FIT).
#include <gtest/gtest.h>

#include <string>

#include "app/shared/file_names.h"
#include "app/shared/list_view.h"
#include "tests/app/shared/data_test_support.h"

namespace nodalux {
namespace {

using testing::ScreenTest;
using testing::TextLine;

// Baselines of rows 1..12 on the 512 x 256 client area.
constexpr int kRowY[] = {20, 40, 61, 81, 102, 122, 142, 163, 183, 204, 224, 244};
constexpr int kRowX = 5;

using ListView = ScreenTest;

TEST_F(ListView, EachNewLineIsDrawnInItsOwnRow) {
  for (int i = 1; i <= 12; ++i) SCROLL("line " + std::to_string(i) + "   ");
  std::vector<std::string> expected;
  for (int i = 1; i <= 12; ++i) expected.push_back(TextLine(kRowX, kRowY[i - 1], "line " + std::to_string(i)));
  EXPECT_EQ(Screen(), expected);
  EXPECT_EQ(LIST_COUNT, 12);
}

TEST_F(ListView, ThirteenthLinePushesTheFirstOutAndRedrawsAll) {
  for (int i = 1; i <= 12; ++i) SCROLL("line " + std::to_string(i));
  ForgetScreen();
  SCROLL("line 13");
  const std::vector<std::string> shown = Screen();
  ASSERT_EQ(shown.size(), 13u);
  EXPECT_TRUE(shown[0].starts_with("clear ")) << shown[0];
  for (int row = 1; row <= 12; ++row) {
    EXPECT_EQ(shown[row], TextLine(kRowX, kRowY[row - 1], "line " + std::to_string(row + 1)));
  }
  EXPECT_EQ(LIST_COUNT, 12);
  EXPECT_EQ(LIST_LINES[1].str(), "line 2");
  EXPECT_EQ(LIST_LINES[12].str(), "line 13");
}

TEST_F(ListView, LongLineIsShownWholeOnceButKeptAtHundredTwentyEight) {
  const std::string long_line(200, 'x');
  SCROLL(long_line);
  EXPECT_EQ(Screen(), std::vector<std::string>{TextLine(kRowX, kRowY[0], long_line)});
  ForgetScreen();
  REFRESH();
  const std::vector<std::string> shown = Screen();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(shown[0].starts_with("clear "));
  EXPECT_EQ(shown[1], TextLine(kRowX, kRowY[0], std::string(128, 'x')));
}

// The kept line never ends in half a character: a two-byte character
// across byte 128 is left out whole; a bad byte stays a byte.
TEST_F(ListView, KeptLineEndsAtACharacterBoundary) {
  const std::string e_acute = "\xC3\xA9";
  struct Row {
    std::string line;
    std::string kept;
  };
  const Row rows[] = {
      {std::string(127, 'x') + e_acute + "y", std::string(127, 'x')},
      {std::string(126, 'x') + e_acute + "y", std::string(126, 'x') + e_acute},
      {std::string(127, 'x') + "\xFF" + "yz", std::string(127, 'x') + "\xFF"},
      {std::string(125, 'x') + "\xE2\x82\xAC" + "y", std::string(125, 'x') + "\xE2\x82\xAC"},
      {std::string(126, 'x') + "\xE2\x82\xAC" + "y", std::string(126, 'x')},
  };
  for (const Row& r : rows) {
    SCROLL(r.line);
    EXPECT_EQ(LIST_LINES[LIST_COUNT].str(), r.kept) << r.line;
  }
}

TEST_F(ListView, RefreshOfAnEmptyListOnlyClears) {
  REFRESH();
  const std::vector<std::string> shown = Screen();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].starts_with("clear "));
}

struct FitCase {
  char separator;  // 0: the platform's
  std::string path;
  std::string shown;
};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

TEST(Fit, ShortensDrivePathsAsBefore) {
  const std::string long_name = "a" + Repeat('n', 59) + ".csv";  // 64 characters
  const std::string fifty = "C:\\" + Repeat('f', 43) + ".csv";
  const FitCase cases[] = {
      {'\\', "C:\\Documents and Settings\\user\\My Documents\\pois\\x.csv",
       "C:\\...\\user\\My Documents\\pois\\x.csv"},
      {'\\',
       "C:\\Documents and Settings\\Administrator\\My Documents\\POI files\\speed "
       "cameras\\uk.csv",
       "C:\\...\\My Documents\\POI files\\speed cameras\\uk.csv"},
      {'\\', "C:\\a\\" + long_name, long_name},
      {'\\', fifty, fifty},
      {'\\', "C:\\" + Repeat('f', 44) + ".csv", Repeat('f', 44) + ".csv"},
      {'\\', "C:\\xyz\\" + Repeat('f', 40) + ".csv", "C:\\...\\" + Repeat('f', 40) + ".csv"},
      {'\\', "C:\\short.csv", "C:\\short.csv"},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.path);
    SetPathSeparatorForTest(c.separator);
    EXPECT_EQ(FIT(c.path, 50).str(), c.shown);
  }
  SetPathSeparatorForTest(0);
}

TEST(Fit, ResultIsAtMostOneOverTheWidthWhenFoldersRemain) {
  SetPathSeparatorForTest('\\');
  const std::string path = "C:\\Documents and Settings\\Administrator\\My Documents\\POI files\\speed "
                           "cameras\\uk.csv";
  EXPECT_EQ(path.size(), 83u);
  EXPECT_EQ(FIT(path, 50).str().size(), 50u);
  EXPECT_EQ(FIT("C:\\" + Repeat('d', 20) + "\\" + Repeat('e', 40) + ".csv", 50).str(),
            "C:\\...\\" + Repeat('e', 40) + ".csv");  // 51 characters
  SetPathSeparatorForTest(0);
}

TEST(Fit, ShortensOtherPathsAndAlwaysEnds) {
  const std::string long_name = Repeat('n', 60) + ".csv";
  const FitCase cases[] = {
      {0, "/home/user/My Documents/pois/speed cameras/very long name.csv",
       "/.../pois/speed cameras/very long name.csv"},
      {0, "/home/user/Documents and Settings/user/My Documents/pois/x.csv",
       "/.../user/My Documents/pois/x.csv"},
      {0, "/" + long_name, long_name},
      {0, "/a/" + long_name, long_name},
      {0, long_name, long_name},  // a single long file name
      {0, "projects/Documents and Settings/user/My Documents/pois/x.csv",
       ".../user/My Documents/pois/x.csv"},  // relative
      {0, "/home//user///" + Repeat('d', 40) + "/x.csv", "/.../" + Repeat('d', 40) + "/x.csv"},
      {0, Repeat('/', 61), "////.../" + Repeat('/', 43)},
      {'\\', "\\\\server\\share\\Documents and Settings\\user\\My Documents\\pois\\x.csv",
       "\\\\server\\share\\...\\user\\My Documents\\pois\\x.csv"},
      {'\\', "\\\\" + Repeat('s', 60) + "\\share", "\\\\" + Repeat('s', 60) + "\\share"},
      {'\\', "\\\\" + Repeat('s', 60), "\\\\" + Repeat('s', 60)},
      {'\\', "\\\\server\\share\\" + long_name, long_name},
      {'\\', "relative\\folder\\" + long_name, long_name},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.path);
    SetPathSeparatorForTest(c.separator);
    EXPECT_EQ(FIT(c.path, 50).str(), c.shown);
  }
  SetPathSeparatorForTest(0);
}

TEST(Fit, TinyOrNegativeWidthStillEnds) {
  for (int width : {0, 1, 3, -5}) {
    EXPECT_EQ(FIT("/home/user/x.csv", width).str(), "x.csv") << width;
  }
  EXPECT_EQ(FIT("   ", 0).str(), "");
}

}  // namespace
}  // namespace nodalux
