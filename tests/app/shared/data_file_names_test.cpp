// EXTN, ROOT and the "Data Error" report.
#include <gtest/gtest.h>

#include "app/shared/program_state.h"
#include "app/shared/file_names.h"
#include "app/shared/list_view.h"
#include "tests/app/shared/data_test_support.h"

namespace nodalux {
namespace {

using testing::BoxLine;
using testing::ScreenTest;
using testing::TextLine;

struct ExtnCase {
  const char* file;
  const char* root;
  const char* extension;
};

TEST(Extn, SplitsAtTheLastDotAndLowersTheExtension) {
  const ExtnCase cases[] = {
      {"C:\\maps\\Pubs.OV2", "C:\\maps\\Pubs", "ov2"},
      {"C:\\maps\\pubs.csv", "C:\\maps\\pubs", "csv"},
      {"C:\\maps\\pubs.txt", "C:\\maps\\pubs", "txt"},
      {"C:\\my.data\\pubs", "C:\\my", "dat"},  // a dot in a folder counts
      {"C:\\maps\\pubs.ov2x", "C:\\maps\\pubs", "ov2"},
      {"C:\\maps\\pubs.", "C:\\maps\\pubs", ""},
      {"/home/user/maps/Pubs.OV2", "/home/user/maps/Pubs", "ov2"},
      {"/home/user/my.data/pubs", "/home/user/my", "dat"},
      {"/home/user/maps/pubs.Csv", "/home/user/maps/pubs", "csv"},
      {"/home/user/pubs", "", "/ho"},  // no dot: the start of the name
      {".ov2", "", "ov2"},
      {"", "", ""},
      {"   ", "", ""},
      {"A.B-C", "A", "b-c"},  // only letters change case
  };
  for (const ExtnCase& c : cases) {
    SCOPED_TRACE(c.file);
    zarv::Text<256> root("junk");
    zarv::Text<3> extension("xyz");
    zarv::Text<256> file(c.file);
    EXTN(file, root, extension);
    EXPECT_EQ(root.str(), c.root);
    EXPECT_EQ(extension.str(), c.extension);
  }
}

TEST(Extn, OutputLengthsAreTheCallersChoice) {
  zarv::Text<4> root;
  zarv::Text<5> extension;
  EXTN("C:\\maps\\pubs.Ov2x", root, extension);
  EXPECT_EQ(root.view(), "C:\\m");
  EXPECT_EQ(extension.view(), "ov2x ");
}

struct RootCase {
  char separator;
  const char* path;
  const char* folder;
};

TEST(Root, KeepsTheFolderWithItsSeparator) {
  const RootCase cases[] = {
      {'\\', "C:\\maps\\pubs.csv", "C:\\maps\\"},
      {'\\', "pubs.csv", ""},
      {'\\', "C:\\", "C:\\"},
      {'\\', "C:/maps/pubs.csv", ""},  // only the platform's separator counts
      {'\\', "C:pubs.csv", ""},
      {'\\', "\\\\server\\share\\pubs.csv", "\\\\server\\share\\"},
      {0, "/home/user/maps/pubs.csv", "/home/user/maps/"},
      {0, "pubs.csv", ""},
      {0, "/", "/"},
      {0, "/pubs.csv", "/"},
      {0, "C:\\maps\\pubs.csv", ""},
      {0, "", ""},
  };
  for (const RootCase& c : cases) {
    SCOPED_TRACE(c.path);
    SetPathSeparatorForTest(c.separator);
    zarv::Text<256> path(c.path);
    ROOT(path);
    EXPECT_EQ(path.str(), c.folder);
  }
  SetPathSeparatorForTest(0);
}

TEST(Root, PlatformSeparatorIsTheSlash) { EXPECT_EQ(FolderSeparator(), '/'); }

using ErrorReport = ScreenTest;

TEST_F(ErrorReport, BuildsTheMessageByLevel) {
  struct Case {
    int level;
    const char* label;
  };
  for (const Case c : {Case{1, ""}, Case{2, "Correct format is: "}, Case{3, "Reading: "},
                       Case{0, "Reading: "}}) {
    ForgetScreen();
    ERROR(c.level, "Error reading POI record      ", "Longitude, Latitude,\"Description\"   ",
          "  1.0,abc  ", "none");
    const std::string text = std::string("Error reading POI record\r\rIn record:   1.0,abc\r") +
                             c.label + "Longitude, Latitude,\"Description\"";
    EXPECT_EQ(Screen(), std::vector<std::string>{BoxLine(0, 3, "Data Error", text)})
        << "level " << c.level;
  }
  EXPECT_FALSE(QUIT_REQUESTED);
}

TEST_F(ErrorReport, BlankRecordStillShowsItsLabel) {
  ERROR(2, "T1", "T2", "      ", "");
  EXPECT_EQ(Screen(), std::vector<std::string>{
                          BoxLine(0, 3, "Data Error", "T1\r\rIn record: \rCorrect format is: T2")});
}

TEST_F(ErrorReport, QuitIsCaseSensitive) {
  ERROR(2, "a", "b", "c", "QUIT");
  EXPECT_FALSE(QUIT_REQUESTED);
  ERROR(2, "a", "b", "c", "quit   ");
  EXPECT_TRUE(QUIT_REQUESTED);
}

TEST_F(ErrorReport, ClearEmptiesWindowAndListSoTheNextLineIsRowOne) {
  SCROLL("first");
  SCROLL("second");
  ForgetScreen();
  ERROR(2, "a", "b", "c", "clear");
  EXPECT_EQ(LIST_COUNT, 0);
  EXPECT_EQ(ScreenLines("clear ").size(), 1u);
  SCROLL("after");
  EXPECT_EQ(ScreenLines("text "), std::vector<std::string>{TextLine(5, 20, "after")});
}

}  // namespace
}  // namespace nodalux
