#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/toolkit/platform/fake_platform.h"
#include "toolkit/core/errors.h"
#include "toolkit/dialogs/common_dialogs.h"
#include "toolkit/dialogs/dialog_status.h"
#include "toolkit/dialogs/file_filter.h"

namespace zarv::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kFilter[] = "TomTom Overlay files (*.ov2)|*.ov2|AutoRoute CSV files (*.csv)|*.csv|";

TEST(FileFilter, SeparatorIsTheLastNonBlankCharacter) {
  struct Row {
    const char* text;
    std::vector<std::pair<std::string, std::string>> filters;
  };
  const Row rows[] = {
      {kFilter, {{"TomTom Overlay files (*.ov2)", "*.ov2"}, {"AutoRoute CSV files (*.csv)", "*.csv"}}},
      {"All files#*.*#   ", {{"All files", "*.*"}}},
      {"Text|*.txt;*.log|Lone|", {{"Text", "*.txt;*.log"}}},  // a description alone is no filter
      {"A|*.a||B|*.b|", {{"A", "*.a"}}},                      // an empty entry ends the list
      {"      ", {}},
      {"", {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const ParsedFilter p = ParseFileFilter(r.text);
    ASSERT_EQ(p.filters.size(), r.filters.size());
    for (std::size_t i = 0; i < r.filters.size(); ++i) {
      EXPECT_EQ(p.filters[i].description, r.filters[i].first);
      EXPECT_EQ(p.filters[i].pattern, r.filters[i].second);
    }
  }
}

TEST(FileFilter, LongFiltersAreCutToTheirFirstThousandCharacters) {
  std::string text;
  while (text.size() < 1200) text += "Files " + std::to_string(text.size() % 1000) + "|*.x|";
  const ParsedFilter p = ParseFileFilter(text);
  EXPECT_EQ(p.text, Trimmed(text.substr(0, 1000)));
  std::size_t complete = 0;
  for (std::size_t i = 0, bars = 0; i < 1000; ++i) {
    if (text[i] == '|' && ++bars % 2 == 0) ++complete;
  }
  EXPECT_EQ(p.filters.size(), complete);
}

TEST(FileFilter, DefaultExtensionComesFromTheFirstPattern) {
  const std::pair<const char*, const char*> rows[] = {
      {"*.csv", ".csv"}, {"*.ov2;*.csv", ".ov2"}, {" *.txt ", ".txt"}, {"*.*", ""},
      {"*", ""},         {"*.c?v", ""},           {"data.", ""},        {"", ""},
  };
  for (const auto& [pattern, ext] : rows) EXPECT_EQ(DefaultExtension(pattern), ext) << pattern;
}

class FileDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_ = &InstallFake();
    InfoStatus(1);
    start_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("nodalux-window-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
    std::ofstream(dir_ / "have.csv") << "x";
  }
  void TearDown() override {
    fs::current_path(start_);
    fs::remove_all(dir_);
    SetPlatform(nullptr);
  }
  FakePlatform& fake() { return *fake_; }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Answer(const std::string& path, int index = 1) {
    fake().file_answers.push_back({true, path, index});
  }

  FakePlatform* fake_ = nullptr;
  fs::path start_, dir_;
  Text<256> name_;
};

TEST_F(FileDialog, StartsFromTheGivenFolderNameAndFilter) {
  name_.assign(Path("poi.csv"));
  WFileDialog(kFilter, 0, name_);
  ASSERT_EQ(fake().file_dialogs.size(), 1u);
  const FileDialogSpec& s = fake().file_dialogs[0];
  EXPECT_FALSE(s.save);
  EXPECT_EQ(s.directory, dir_.string());
  EXPECT_EQ(s.name, "poi.csv");
  EXPECT_EQ(s.title, "Select File");
  EXPECT_EQ(s.filter_index, 1);
  EXPECT_EQ(s.filters.size(), 2u);
  EXPECT_EQ(s.initial, Path("poi.csv"));

  fs::current_path(dir_);
  name_.assign("bare.ov2");
  int index = 2;
  WFileDialog(kFilter, 1, name_, "Save as   ", &index);
  const FileDialogSpec& t = fake().file_dialogs[1];
  EXPECT_TRUE(t.save);
  EXPECT_EQ(t.directory, dir_.string());
  EXPECT_EQ(t.name, "bare.ov2");
  EXPECT_EQ(t.title, "Save as");
  EXPECT_EQ(t.filter_index, 2);
  index = 3;  // there is no third filter
  WFileDialog(kFilter, 1, name_, " ", &index);
  EXPECT_EQ(fake().file_dialogs[2].filter_index, 1);
  EXPECT_EQ(fake().file_dialogs[2].title, "Select File");
}

TEST_F(FileDialog, CancelLeavesEverythingAsItWas) {
  name_.assign(Path("poi.csv"));
  const Text<256> before = name_;
  int index = 2;
  SetCommonDialogResult(1);
  WFileDialog(kFilter, 0, name_, "", &index);
  EXPECT_EQ(name_, before);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(WDialogStatus(4), 0);
  EXPECT_EQ(InfoStatus(1), 0);
}

TEST_F(FileDialog, ChosenPathComesBackBlankPaddedWithItsFilter) {
  SetModalDialogResults(1, 1003, 102);
  Answer(Path("have.csv"), 2);
  int index = 1;
  WFileDialog(kFilter, 0, name_, "", &index);
  EXPECT_EQ(name_.str(), Path("have.csv"));
  EXPECT_EQ(name_[255], ' ');
  EXPECT_EQ(index, 2);
  EXPECT_EQ(WDialogStatus(4), 1);
  EXPECT_EQ(WDialogStatus(2), 0);

  Answer("sub/../have.csv");  // relative to the folder the dialog showed
  name_.assign(Path("x"));
  WFileDialog(kFilter, 0, name_);
  EXPECT_EQ(name_.str(), Path("have.csv"));
}

TEST_F(FileDialog, DefaultExtensionOnlyForNamesWithout) {
  struct Row {
    const char* typed;
    int index;
    const char* filter;
    const char* result;
  };
  const Row rows[] = {
      {"out", 2, kFilter, "out.csv"},
      {"out", 1, kFilter, "out.ov2"},
      {"out.txt", 2, kFilter, "out.txt"},
      {"out", 1, "All|*.*|", "out"},
      {"out", 1, "", "out"},
      {"out.", 2, kFilter, "out."},  // finished with a dot: no second one
      {".hidden", 2, kFilter, ".hidden.csv"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.typed);
    Answer(Path(r.typed), r.index);
    name_.clear();
    WFileDialog(r.filter, 1 + 32, name_);
    EXPECT_EQ(name_.str(), Path(r.result));
  }
  Answer(Path("plain"), 2);
  WFileDialog(kFilter, 1, name_);  // without flag 32
  EXPECT_EQ(name_.str(), Path("plain"));
}

// The backend is told the name the dialog gives back, so that what it shows
// and what the program takes are the same file.
TEST_F(FileDialog, BackendLearnsTheNameTaken) {
  name_.assign(Path(""));
  WFileDialog(kFilter, 1 + 32, name_);
  ASSERT_TRUE(fake().file_dialogs[0].resolve);
  const auto& resolve = fake().file_dialogs[0].resolve;
  EXPECT_EQ(resolve("out", 2), Path("out.csv"));
  EXPECT_EQ(resolve(Path("out.csv"), 2), Path("out.csv"));  // twice changes nothing
  EXPECT_EQ(resolve("sub/../x", 1), Path("x.ov2"));
}

// The program's texts are blank-padded: a name that ends in blanks would be
// written without them, so it is refused and the dialog shows again.
TEST_F(FileDialog, NameEndingInBlanksIsRefused) {
  Answer(Path("have.csv "));
  Answer(Path("have.csv"));
  fake().box_answers = {1, 2};
  WFileDialog(kFilter, 1 + 2, name_, "Save File");
  ASSERT_EQ(fake().boxes.size(), 2u);
  const MessageBoxSpec& b = fake().boxes[0];
  EXPECT_EQ(b.text, "\"" + Path("have.csv ") +
                        "\"\rThe file name ends in a blank, which this program cannot keep.\r"
                        "Remove the blank and try again.");
  EXPECT_EQ(b.title, "Save File");
  EXPECT_EQ(b.buttons, 0);
  // The corrected name is the existing file: asked about, and refused here.
  EXPECT_NE(fake().boxes[1].text.find("already exists"), std::string::npos);
  EXPECT_EQ(WDialogStatus(4), 0);
}

TEST_F(FileDialog, FolderMustExistUnlessFlagFour) {
  Answer(Path("nowhere/a.csv"));
  Answer(Path("sub/a.csv"));
  WFileDialog(kFilter, 1, name_);
  EXPECT_EQ(fake().file_dialogs.size(), 2u);
  ASSERT_EQ(fake().boxes.size(), 1u);
  EXPECT_EQ(fake().boxes[0].text.rfind(Path("nowhere/a.csv") + "\r", 0), 0u);
  EXPECT_EQ(name_.str(), Path("sub/a.csv"));
  EXPECT_EQ(fake().file_dialogs[1].name, "a.csv");  // shown again with the name

  Answer(Path("nowhere/a.csv"));
  WFileDialog(kFilter, 1 + 4, name_);
  EXPECT_EQ(name_.str(), Path("nowhere/a.csv"));
  EXPECT_EQ(fake().boxes.size(), 1u);
}

TEST_F(FileDialog, OpenWithFlag128RefusesMissingFiles) {
  Answer(Path("missing.csv"));
  Answer(Path("have.csv"));
  WFileDialog(kFilter, 128 + 2, name_);  // 128 wins over the offer to create
  ASSERT_EQ(fake().boxes.size(), 1u);
  EXPECT_EQ(fake().boxes[0].buttons, 0);
  EXPECT_EQ(name_.str(), Path("have.csv"));
  EXPECT_EQ(WDialogStatus(4), 1);
}

TEST_F(FileDialog, OpenWithFlagTwoOffersToCreateAMissingFile) {
  for (int answer : {1, 2}) {
    SCOPED_TRACE(answer);
    fake().boxes.clear();
    fake().file_dialogs.clear();
    name_.clear();
    Answer(Path("new.csv"));
    fake().box_answers.push_back(answer);
    WFileDialog(kFilter, 2, name_, "Open POI");
    ASSERT_EQ(fake().boxes.size(), 1u);
    const MessageBoxSpec& b = fake().boxes[0];
    EXPECT_EQ(b.text, Path("new.csv") + "\rThis file does not exist.\rCreate the file?");
    EXPECT_EQ(b.title, "Open POI");
    EXPECT_EQ(b.buttons, 3);
    EXPECT_EQ(b.icon, 2);
    // Yes takes the name; No shows the dialog again (cancelled here).
    EXPECT_EQ(fake().file_dialogs.size(), answer == 1 ? 1u : 2u);
    EXPECT_EQ(name_.str(), answer == 1 ? Path("new.csv") : "");
    EXPECT_EQ(WDialogStatus(4), answer == 1 ? 1 : 0);
  }
  Answer(Path("have.csv"));
  WFileDialog(kFilter, 2, name_);  // an existing file asks nothing
  EXPECT_EQ(fake().boxes.size(), 1u);
}

TEST_F(FileDialog, SaveWithFlagTwoAsksBeforeReplacing) {
  Answer(Path("have.csv"));
  Answer(Path("have.csv"));
  fake().box_answers = {2, 1};
  WFileDialog(kFilter, 1 + 2, name_, "Save");
  ASSERT_EQ(fake().boxes.size(), 2u);
  const MessageBoxSpec& b = fake().boxes[0];
  EXPECT_EQ(b.text, Path("have.csv") + " already exists.\rDo you want to replace it?");
  EXPECT_EQ(b.buttons, 3);
  EXPECT_EQ(b.icon, 3);
  EXPECT_EQ(b.default_button, 1);  // No
  EXPECT_EQ(fake().file_dialogs.size(), 2u);
  EXPECT_EQ(name_.str(), Path("have.csv"));
  EXPECT_EQ(WDialogStatus(4), 1);

  Answer(Path("fresh.csv"));
  WFileDialog(kFilter, 1 + 2, name_);
  EXPECT_EQ(fake().boxes.size(), 2u);
}

TEST_F(FileDialog, CurrentDirectoryIsRestoredUnlessFlagEight) {
  // A backend whose dialog wanders off, as native dialogs do.
  fake().on_file_dialog = [this](const FileDialogSpec&) { fs::current_path(dir_ / "sub"); };
  const fs::path before = fs::current_path();
  for (int flags : {0, 8}) {
    Answer(Path("sub/../have.csv"));
    WFileDialog(kFilter, flags, name_);
    EXPECT_EQ(fs::current_path(), flags ? dir_ : before) << flags;
    fs::current_path(before);
  }
  WFileDialog(kFilter, 8, name_);  // cancelled: restored even with flag 8
  EXPECT_EQ(fs::current_path(), before);
}

// A cut path would name another file: the path is refused with a message
// naming it, and the dialog shows again.
TEST_F(FileDialog, PathTooLongForTheCallersTextIsRefused) {
  Text<16> small("start");
  Answer(Path("have.csv"));
  WFileDialog(kFilter, 0, small, "Open File");
  ASSERT_EQ(fake().boxes.size(), 1u);
  const std::string path = Path("have.csv");
  EXPECT_EQ(fake().boxes[0].text, path + "\rThe path is too long: it has " + std::to_string(path.size()) +
                                      " characters, this program takes at most 16.\r"
                                      "Choose a shorter name or folder.");
  EXPECT_EQ(fake().boxes[0].title, "Open File");
  EXPECT_EQ(fake().file_dialogs.size(), 2u);
  EXPECT_EQ(small.str(), "start");
  EXPECT_EQ(WDialogStatus(4), 0);
  EXPECT_EQ(InfoStatus(1), 0);
}

}  // namespace
}  // namespace zarv::testing
