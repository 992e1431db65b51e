// The converter: bad lines, exit codes, and a failed write that leaves the
// old file whole.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/formats/byte_source.h"
#include "app/formats/ov2_encoder.h"
#include "app/formats/temp_file.h"
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

// A line that cannot become a POI of the overlay fails the conversion:
// each is named with its line, a summary follows, and no file is written.
TEST(MakeOv2Convert, BadLinesAreNamedAndNothingIsWritten) {
  ov2test::ScratchDir dir("makeov2_bad");
  ov2test::WriteFile("out.ov2", "old");
  std::ostringstream errors;
  const int code = ConvertText("in.tmp",
                               ";* header\r\n"
                               "  1.00000,  2.00000,\"ok\"\r\n"
                               "garbage\r\n"
                               "  1.00000,  95.00000,\"far\"\r\n"
                               "**********,  1.00000,\"wide\"\r\n"
                               "  1.00000,  2.00000,\"cut\r\n"
                               "  3.00000,  4.00000,\"ok too\"",
                               "out.ov2", errors);
  EXPECT_EQ(code, kFailed);
  EXPECT_EQ(errors.str(),
            "makeov2: in.tmp:3: expected longitude, latitude and a name\n"
            "makeov2: in.tmp:4: latitude is outside -90..90 (95.00000) in POI \"far\"\n"
            "makeov2: in.tmp:5: longitude overflowed its field (**********) in POI \"wide\"\n"
            "makeov2: in.tmp:6: the name has no closing double quote\n"
            "makeov2: in.tmp: 4 lines cannot be converted; no OV2 file written\n");
  EXPECT_EQ(ov2test::ReadFile("out.ov2"), "old");

  // Ten are named; the count covers them all. Long texts are cut.
  std::string many;
  for (int i = 0; i < 25; ++i) many += "1,2,\"" + std::string(100, 'x') + "\r\n";
  errors.str("");
  EXPECT_EQ(ConvertText("in.tmp", many, "out.ov2", errors), kFailed);
  const std::string said = errors.str();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 11);
  EXPECT_NE(errors.str().find("25 lines cannot be converted"), std::string::npos);
  errors.str("");
  EXPECT_EQ(ConvertText("in.tmp", "1," + std::string(200, '7') + ",\"n\"", "out.ov2", errors), kFailed);
  EXPECT_EQ(errors.str().substr(0, errors.str().find('\n') + 1),
            "makeov2: in.tmp:1: latitude is outside -90..90 (" + std::string(60, '7') + "...) in POI \"n\"\n");
}

// The count in the trailer must be the count read: POI lost between the
// writer and the converter fail the conversion.
TEST(MakeOv2Convert, TheTrailerCountMustMatch) {
  ov2test::ScratchDir dir("makeov2_trailer");
  const std::string two = "1,2,\"a\"\r\n3,4,\"b\"\r\n";
  std::ostringstream errors;
  EXPECT_EQ(ConvertText("in.tmp", two + ";*     2 POI records written.\r\n", "out.ov2", errors), kOk);
  EXPECT_EQ(errors.str(), "");
  EXPECT_EQ(ConvertText("in.tmp", two + ";*     3 POI records written.\r\n", "out2.ov2", errors), kFailed);
  EXPECT_EQ(errors.str(),
            "makeov2: in.tmp:3: the file says 3 POI records were written, but it holds 2; no OV2 "
            "file written\n");
  EXPECT_FALSE(fs::exists("out2.ov2"));
}

// Names of every length, many more bytes of them than one block of the
// converter's name store holds, reach the file whole and in their places.
TEST(MakeOv2Convert, NamesOfAnySizeReachTheFileWhole) {
  ov2test::ScratchDir dir("makeov2_names");
  std::string text;
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) {
    const std::size_t length = i % 500 == 7 ? 10000 : static_cast<std::size_t>(i * 37 % 301);
    names.push_back(std::string(length, static_cast<char>('a' + i % 26)));
    nodalux::formats::AppendTempRecord(text, static_cast<float>(i % 360 - 180), static_cast<float>(i % 90),
                                       names.back());
  }
  std::vector<nodalux::formats::Ov2Record> expected;
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t end = rest.find('\n');
    expected.push_back(nodalux::formats::ParseTempLine(rest.substr(0, end)).record);
    rest.remove_prefix(end + 1);
  }
  ASSERT_EQ(expected.size(), names.size());
  std::ostringstream errors;
  ASSERT_EQ(ConvertText("in.tmp", text, "out.ov2", errors), kOk) << errors.str();
  EXPECT_EQ(ov2test::ReadFile("out.ov2"), nodalux::formats::EncodeOv2(expected).value());
}

TEST(MakeOv2Convert, NothingUsableFailsAndLeavesTheOldFile) {
  ov2test::ScratchDir dir("makeov2_fail");
  ov2test::WriteFile("out.ov2", "old");
  for (const std::string input : {"", ";* only comments\r\n"}) {
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

  // "-" reads standard input, which counts as whole only with its count
  // line: a writer that stopped half-way leaves no overlay.
  EXPECT_EQ(run("- piped.ov2 < in.tmp"), kFailed);
  EXPECT_FALSE(fs::exists("piped.ov2"));
  ov2test::WriteFile("whole.tmp", "  1.00000,  2.00000,\"x\"\r\n;*     1 POI records written.\r\n");
  EXPECT_EQ(run("- piped.ov2 < whole.tmp"), kOk);
  EXPECT_EQ(fs::file_size("piped.ov2"), 21u + 15u);
  EXPECT_EQ(run("- from-pipe.ov2 < /dev/null"), kFailed);
  EXPECT_EQ(std::system(("cat whole.tmp | " + exe + " - from-pipe.ov2").c_str()), 0);
  EXPECT_EQ(fs::file_size("from-pipe.ov2"), 21u + 15u);
}

TEST(MakeOv2Convert, InputFromAPipeNeedsItsCountLine) {
  ov2test::ScratchDir dir("makeov2_piped");
  nodalux::formats::MemorySource cut("1,2,\"a\"\r\n3,4,\"b\"\r\n");
  std::ostringstream errors;
  EXPECT_EQ(Convert("standard input", cut, "out.ov2", errors, true), kFailed);
  EXPECT_EQ(errors.str(), "makeov2: standard input: the input ended before its closing count line; "
                          "no OV2 file written\n");
  EXPECT_FALSE(fs::exists("out.ov2"));
}

}  // namespace
}  // namespace makeov2
