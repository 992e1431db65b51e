// Copying and deleting files, one at a time or by wildcard.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/toolkit/core/os_test_support.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"

namespace zarv {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ClearErrors();
    fs::create_directory(dir_.path() / "out");
    WriteFile(dir_ / "a.ov2", "first");
    WriteFile(dir_ / "b.ov2", "second");
    WriteFile(dir_ / "c.csv", "third");
    fs::create_directory(dir_.path() / "d.ov2");  // a folder that matches
  }
  void TearDown() override {
    SetReportingMode(0);
    SetReportSinks({});
    test::ClearErrors();
  }
  std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir_;
};

TEST_F(FilesTest, CopiesOneFileOverwritingTheTarget) {
  WriteFile(dir_ / "out/x.ov2", "old and longer content");
  ::chmod((dir_ / "a.ov2").c_str(), 0640);
  IOsCopyFile(dir_ / "a.ov2   ", dir_ / "out/x.ov2  ");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(ReadFile(dir_ / "out/x.ov2"), "first");
  EXPECT_EQ(fs::status(dir_ / "out/x.ov2").permissions(), fs::perms(0640));
  // A target ending in '/' is a folder: the source's name is kept.
  IOsCopyFile(dir_ / "b.ov2", dir_ / "out/");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(ReadFile(dir_ / "out/b.ov2"), "second");
  // Nothing but the copies is left in the folder.
  EXPECT_EQ(Names(dir_ / "out"), (std::vector<std::string>{"b.ov2", "x.ov2"}));
}

TEST_F(FilesTest, CopyingAFileOntoItselfReports55AndKeepsIt) {
  for (const std::string& target : {dir_ / "a.ov2", dir_.str() + "/", dir_ / "out/../a.ov2"}) {
    IOsCopyFile(dir_ / "a.ov2", target);
    EXPECT_EQ(InfoStatus(1), 55) << target;
    EXPECT_EQ(ReadFile(dir_ / "a.ov2"), "first");
  }
}

TEST_F(FilesTest, FailedCopiesReport13AndLeaveTheTargetAsItWas) {
  struct Case {
    std::string source, target;
    int os_error;
  };
  WriteFile(dir_ / "out/keep.ov2", "kept");
  const Case cases[] = {
      {dir_ / "missing.ov2", dir_ / "out/keep.ov2", ENOENT},
      {dir_ / "a.ov2", dir_ / "no/such/folder/a.ov2", ENOENT},
      {dir_ / "a.ov2", dir_ / "out", EISDIR},
      {dir_ / "d.ov2", dir_ / "out/keep.ov2", EISDIR},
      {dir_ / "*.none", dir_ / "out", ENOENT},
      {dir_ / "nofolder/*.ov2", dir_ / "out", ENOENT},
  };
  for (const Case& c : cases) {
    IOsCopyFile(c.source, c.target);
    EXPECT_EQ(InfoStatus(1), 13) << c.source << " -> " << c.target;
    EXPECT_EQ(InfoStatus(3), c.os_error) << c.source << " -> " << c.target;
  }
  EXPECT_EQ(ReadFile(dir_ / "out/keep.ov2"), "kept");
  EXPECT_EQ(Names(dir_ / "out"), std::vector<std::string>{"keep.ov2"});
}

// The copy in two steps: nothing is in place before commit(), nothing of a
// copy not committed is left, and failures of either step are reported at
// commit() as IOsCopyFile reports them.
TEST_F(FilesTest, AStagedCopyIsInPlaceOnlyOnceCommitted) {
  ::chmod((dir_ / "a.ov2").c_str(), 0640);
  {
    StagedCopy copy;
    copy.stage(dir_ / "a.ov2", dir_ / "out/x.ov2");
    EXPECT_EQ(InfoStatus(1), 0);
    EXPECT_FALSE(fs::exists(dir_ / "out/x.ov2"));
    WriteFile(dir_ / "a.ov2", "changed after the copy was made");
    copy.commit();
    EXPECT_EQ(InfoStatus(1), 0);
  }
  EXPECT_EQ(ReadFile(dir_ / "out/x.ov2"), "first");
  EXPECT_EQ(fs::status(dir_ / "out/x.ov2").permissions(), fs::perms(0640));
  {
    StagedCopy dropped;
    dropped.stage(dir_ / "b.ov2", dir_ / "out/");
  }
  EXPECT_EQ(Names(dir_ / "out"), std::vector<std::string>{"x.ov2"});

  struct Case {
    std::string source, target;
    int code, os_error;
  };
  const Case cases[] = {
      {dir_ / "missing.ov2", dir_ / "out/x.ov2", 13, ENOENT},
      {dir_ / "b.ov2", dir_ / "out", 13, EISDIR},
      {dir_ / "b.ov2", dir_ / "b.ov2", 55, 0},
  };
  for (const Case& c : cases) {
    StagedCopy copy;
    copy.stage(c.source, c.target);
    EXPECT_EQ(InfoStatus(1), 0) << c.source;  // nothing said yet
    copy.commit();
    EXPECT_EQ(InfoStatus(1), c.code) << c.source;
    if (c.os_error != 0) {
      EXPECT_EQ(InfoStatus(3), c.os_error) << c.source;
    }
  }
  EXPECT_EQ(ReadFile(dir_ / "out/x.ov2"), "first");
  EXPECT_EQ(Names(dir_ / "out"), std::vector<std::string>{"x.ov2"});
}

TEST_F(FilesTest, WildcardCopyTakesMatchingFilesAndSkipsFolders) {
  IOsCopyFile(dir_ / "*.ov2", dir_ / "out");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(Names(dir_ / "out"), (std::vector<std::string>{"a.ov2", "b.ov2"}));
  EXPECT_EQ(ReadFile(dir_ / "out/b.ov2"), "second");

  IOsCopyFile(dir_ / "?.csv", dir_ / "out/");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_TRUE(fs::exists(dir_ / "out/c.csv"));
  // Only * and ? are wildcards; brackets stand for themselves.
  WriteFile(dir_ / "[x].ov2", "bracket");
  IOsCopyFile(dir_ / "[x]*", dir_ / "out");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(ReadFile(dir_ / "out/[x].ov2"), "bracket");
}

TEST_F(FilesTest, RelativeNamesWorkFromTheCurrentFolder) {
  test::ScopedCwd cwd(dir_.path());
  IOsCopyFile("*.csv", "out");
  EXPECT_EQ(InfoStatus(1), 0);
  IOsCopyFile("a.ov2", "out/");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(Names(dir_ / "out"), (std::vector<std::string>{"a.ov2", "c.csv"}));
  IOsDeleteFile("out/*");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_TRUE(Names(dir_ / "out").empty());
}

TEST_F(FilesTest, DeletesEveryMatchingFileButNoFolder) {
  IOsDeleteFile(dir_ / "*.ov2");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(Names(dir_.str()), (std::vector<std::string>{"c.csv", "d.ov2", "out"}));
  IOsDeleteFile(dir_ / "c.csv  ");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_FALSE(fs::exists(dir_ / "c.csv"));
  // A folder named directly is found, and skipped.
  IOsDeleteFile(dir_ / "d.ov2");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_TRUE(fs::is_directory(dir_ / "d.ov2"));
}

TEST_F(FilesTest, DeletingWhatIsNotThereReports13) {
  for (const std::string& name : {dir_ / "missing.ov2", dir_ / "*.none", dir_ / "gone/x.ov2"}) {
    IOsDeleteFile(name);
    EXPECT_EQ(InfoStatus(1), 13) << name;
    EXPECT_EQ(InfoStatus(3), ENOENT) << name;
  }
  // A failure stops the loop and keeps what was not yet deleted.
  if (::geteuid() != 0) {
    ::chmod(dir_.path().c_str(), 0555);
    IOsDeleteFile(dir_ / "*.ov2");
    EXPECT_EQ(InfoStatus(1), 13);
    EXPECT_EQ(InfoStatus(3), EACCES);
    ::chmod(dir_.path().c_str(), 0755);
    EXPECT_TRUE(fs::exists(dir_ / "a.ov2"));
    EXPECT_TRUE(fs::exists(dir_ / "b.ov2"));
  }
}

TEST_F(FilesTest, MissingFileInModeFourShowsTheOperatingSystemText) {
  std::vector<std::string> boxes;
  SetReportSinks({nullptr, [&](std::string_view l) { return boxes.emplace_back(l), true; }, nullptr});
  SetReportingMode(4);
  IOsDeleteFile(dir_ / "missing.ov2");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0],
            "Routine:IOsDeleteFile Error=  13:Operating system error: No such file or directory");
}

}  // namespace
}  // namespace zarv
