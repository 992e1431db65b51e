// OPEN with a file that does not load: refused by the header check, gone,
// a folder, a named pipe, a device, a file that opens but cannot be read,
// a read that fails half-way. Each leaves the loaded POI, the group and
// INPUT_FILE as they were, never blocks, and says why naming the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <vector>

#include "app/nodalux/commands.h"
#include "app/shared/program_state.h"
#include "tests/app/shared/data_test_support.h"
#include "toolkit/os/faulty_os.h"
#include "toolkit/platform/transcript.h"

namespace nodalux {
namespace {

using testing::BoxLine;
using zarv::platform::Quote;

class OpenCommand : public testing::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    good_ = WriteTempFile("good.csv",
                          "Longitude,Latitude,Name\n-0.78,51.24,\"one\"\n-0.79,51.25,'two'\n9,9,far\n")
                .string();
    Open(good_, 0);
    ASSERT_EQ(POI_COUNT, 3);
    ASSERT_EQ(GROUP_COUNT, 2);
  }

  // Chooses `path` in the Open (mode 0) or Append (mode 1) dialog.
  void Open(const std::string& path, int mode) {
    StartScreen("file " + Quote(path) + "\n");
    OPEN(mode);
  }

  struct Loaded {
    std::vector<std::string> names;
    std::int32_t poi_count, group_count;
    std::string input_file;
    bool operator==(const Loaded&) const = default;
  };
  static Loaded Now() {
    Loaded now{{}, POI_COUNT, GROUP_COUNT, INPUT_FILE.str()};
    for (std::int32_t i = 1; i <= POI_TABLE.held(); ++i) now.names.push_back(std::as_const(POI_TABLE)[i].NAME.str());
    return now;
  }

  std::string good_;
};

TEST_F(OpenCommand, AFileThatDoesNotLoadLeavesEverythingAsItWas) {
  WriteTempFile("notcsv.csv", "Name,Longitude\n1,2,x\n");
  std::filesystem::create_directory(TempFile("folder.csv"));
  ASSERT_EQ(::mkfifo(TempFile("pipe.csv").c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::string box;  // the box's title and text, as the transcript quotes them
  };
  const std::vector<Case> cases = {
      {TempFile("notcsv.csv").string(),
       Quote("File Format Error") + " " +
           Quote("This file contains records that are\rnot in AutoRoute CSV format.\rPlease select a different file.")},
      {TempFile("gone.csv").string(), ""},
      {TempFile("folder.csv").string(), Quote("File Error") + " " + Quote("Cannot open file:\r" + TempFile("folder.csv").string())},
      {TempFile("pipe.csv").string(),
       Quote("File Error") + " " +
           Quote("Cannot read from a named pipe:\r" + TempFile("pipe.csv").string() + "\rOnly a file can hold POI.")},
      {"/dev/zero", Quote("File Error") + " " + Quote("Cannot read from a device:\r/dev/zero\rOnly a file can hold POI.")},
      {"/proc/self/mem", Quote("File Error") + " " + Quote("Cannot read file:\r/proc/self/mem\rInput/output error")},
  };
  const Loaded before = Now();
  for (const int mode : {0, 1}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.path + (mode == 1 ? " appended" : " opened"));
      Open(c.path, mode);
      EXPECT_EQ(Now(), before);
      EXPECT_EQ(READ_COUNT, 0);
      EXPECT_FALSE(QUIT_REQUESTED);
      const std::vector<std::string> boxes = ScreenLines("box ");
      ASSERT_FALSE(boxes.empty());
      if (!c.box.empty()) {
        EXPECT_NE(boxes.back().find(c.box), std::string::npos) << boxes.back();
      }
      // The group is the one before: the last line says nothing was added.
      EXPECT_TRUE(ScreenLines("text ").back().ends_with(" 0 added to " + std::string(mode ? "group\"" : "new group\"")));
    }
  }
}

// A read that fails after records were taken from the file: they go again.
TEST_F(OpenCommand, AReadThatFailsHalfWayTakesNothingFromTheFile) {
  std::string csv = "Longitude,Latitude,Name\n";
  for (int i = 0; i < 20000; ++i) csv += "-0.78,51.24,\"new " + std::to_string(i) + "\"\n";
  const std::string path = WriteTempFile("big.csv", csv).string();
  const Loaded before = Now();
  zarv::os::FaultyOs faulty;
  for (const int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    faulty.reset();
    faulty.fail(zarv::os::Call::kRead, 4, EIO);  // some 200 KB in
    {
      zarv::os::DoorScope scope(faulty);
      Open(path, mode);
    }
    ASSERT_TRUE(faulty.fired());
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(ScreenLines("box ").back(),
              BoxLine(0, 3, "File Error", "Cannot read file:\r" + path + "\rInput/output error"));
  }
  // Read whole, the same file replaces the table.
  Open(path, 0);
  EXPECT_EQ(POI_COUNT, 20000);
  EXPECT_EQ(INPUT_FILE.str(), path);
  EXPECT_EQ(std::as_const(POI_TABLE)[1].NAME.str(), "new 0");
}

// A file that loads becomes INPUT_FILE, even when a record in it is bad.
TEST_F(OpenCommand, OnlyAFileThatWasReadBecomesTheInputFile) {
  const std::string other = WriteTempFile("other.csv", "Longitude\n1,2,a\nbad line\n").string();
  Open(other, 1);
  EXPECT_EQ(INPUT_FILE.str(), other);
  EXPECT_EQ(POI_COUNT, 4);
  EXPECT_TRUE(QUIT_REQUESTED);  // the data error ends the run after the command
}

}  // namespace
}  // namespace nodalux
