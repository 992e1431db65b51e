// The converter: bad lines, exit codes, and a failed write that leaves the
// old file whole.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "app/formats/byte_source.h"
#include "tests/app/ov2subs/temp_dir.h"
#include "toolkit/os/faulty_os.h"
#include "tools/makeov2/converter.h"

namespace makeov2 {
namespace {

namespace fs = std::filesystem;

int ConvertText(std::string_view name, std::string_view text, const std::string& output,
                std::ostream& errors) {
  nodalux::formats::MemorySource input(text);
  return Convert(name, input, output, errors);
}

TEST(MakeOv2Convert, BadLinesAreNamedAndSkipped) {
  ov2test::ScratchDir dir("makeov2_bad");
  std::ostringstream errors;
  const int code = ConvertText("in.tmp",
                               ";* header\r\n"
                               "  1.00000,  2.00000,\"ok\"\r\n"
                               "garbage\r\n"
                               "  1.00000,  95.00000,\"far\"\r\n"
                               "  3.00000,  4.00000,\"ok too\"",
                               "out.ov2", errors);
  EXPECT_EQ(code, kOk);
  EXPECT_EQ(errors.str(),
            "makeov2: in.tmp line 3: expected longitude, latitude and a name\n"
            "makeov2: in.tmp line 4: latitude is outside -90..90\n");
  EXPECT_EQ(ov2test::ReadFile("out.ov2").size(), 21u + 16u + 20u);
}

TEST(MakeOv2Convert, NothingUsableFailsAndLeavesTheOldFile) {
  ov2test::ScratchDir dir("makeov2_fail");
  ov2test::WriteFile("out.ov2", "old");
  for (const std::string input : {"", ";* only comments\r\n", "bad\r\n"}) {
    std::ostringstream errors;
    EXPECT_EQ(ConvertText("in.tmp", input, "out.ov2", errors), kFailed);
    EXPECT_NE(errors.str().find("makeov2: in.tmp: no POI record to write"), std::string::npos);
  }
  EXPECT_EQ(ov2test::ReadFile("out.ov2"), "old");
  std::ostringstream errors;
  EXPECT_EQ(ConvertText("in.tmp", "1,2,\"x\"", "no/such/folder/out.ov2", errors), kFailed);
  EXPECT_EQ(errors.str(), "makeov2: cannot write no/such/folder/out.ov2: No such file or directory\n");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

// Every write call of the converter failing in turn: the exit status says
// so, the message names the output, and the old overlay stays whole.
TEST(MakeOv2Convert, AFailedWriteLeavesTheOldOverlay) {
  ov2test::ScratchDir dir("makeov2_faults");
  ov2test::WriteFile("out.ov2", "old overlay");
  std::string input;
  for (int i = 0; i < 4000; ++i) input += "  1.00000,  2.00000,\"POI number " + std::to_string(i) + "\"\r\n";
  zarv::os::FaultyOs faulty;
  int failures = 0;
  for (const zarv::os::Call call : {zarv::os::Call::kMakeTemp, zarv::os::Call::kWrite, zarv::os::Call::kSync,
                                    zarv::os::Call::kClose, zarv::os::Call::kRename}) {
    for (int nth = 1;; ++nth) {
      ov2test::WriteFile("out.ov2", "old overlay");  // the run without a failure replaced it
      faulty.reset();
      faulty.fail(call, nth, ENOSPC);
      std::ostringstream errors;
      int code = 0;
      {
        zarv::os::DoorScope scope(faulty);
        code = ConvertText("in.tmp", input, "out.ov2", errors);
      }
      if (!faulty.fired()) break;
      ++failures;
      EXPECT_EQ(code, kFailed);
      EXPECT_EQ(errors.str(), "makeov2: cannot write out.ov2: No space left on device\n");
      EXPECT_TRUE(ov2test::ReadFile("out.ov2") == "old overlay");
      EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
    }
  }
  EXPECT_GE(failures, 5);
}

// The installed program itself: arguments and exit status.
TEST(MakeOv2Program, ExitStatus) {
  ov2test::ScratchDir dir("makeov2_exe");
  ov2test::WriteFile("in.tmp", "  1.00000,  2.00000,\"x\"\r\n");
  const std::string exe = MAKEOV2_EXE;
  const auto run = [&](const std::string& args) {
    const int status = std::system((exe + " " + args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run(""), kUsage);
  EXPECT_EQ(run("in.tmp"), kUsage);
  EXPECT_EQ(run("missing.tmp out.ov2"), kFailed);
  EXPECT_FALSE(fs::exists("out.ov2"));
  EXPECT_EQ(run("in.tmp 'my out.ov2'"), kOk);
  EXPECT_EQ(fs::file_size("my out.ov2"), 21u + 15u);
}

}  // namespace
}  // namespace makeov2
