// The converter: bad lines, exit codes, and a failed write that leaves the
// old file whole.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/formats/byte_source.h"
#include "app/formats/temp_file.h"
#include "tests/app/ov2subs/temp_dir.h"
#include "tests/tools/makeov2/makeov2_cpp.h"

namespace makeov2 {
namespace {

namespace fs = std::filesystem;

int ConvertText(std::string_view name, std::string_view text, const std::string& output,
                std::ostream& errors) {
  nodalux::formats::MemorySource input(text);
  std::string said;
  const int code = Convert(name, input, output, &said);
  errors << said;
  return code;
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
  std::vector<mkov2_record> expected;
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t end = rest.find('\n');
    expected.push_back(Parse(rest.substr(0, end)).record);
    rest.remove_prefix(end + 1);
  }
  ASSERT_EQ(expected.size(), names.size());
  std::ostringstream errors;
  ASSERT_EQ(ConvertText("in.tmp", text, "out.ov2", errors), kOk) << errors.str();
  EXPECT_EQ(ov2test::ReadFile("out.ov2"), Encode(expected).value());
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

// The file calls of the atomic write, one of which fails with ENOSPC the
// nth time it is made.
enum class Call { kMakeTemp, kWrite, kSync, kClose, kRename };
struct Fault {
  Call call = Call::kMakeTemp;
  int nth = 0;
  int seen = 0;
  bool fired = false;
} g_fault;

bool Fails(Call call) {
  if (call != g_fault.call || ++g_fault.seen != g_fault.nth) return false;
  g_fault.fired = true;
  errno = ENOSPC;
  return true;
}

const mkov2_file_calls kFaultyCalls = {
    [](char* pattern) { return Fails(Call::kMakeTemp) ? -1 : mkov2_system_calls.make_temp(pattern); },
    [](int fd, const void* bytes, std::size_t size) -> long {
      return Fails(Call::kWrite) ? -1 : mkov2_system_calls.write(fd, bytes, size);
    },
    [](int fd) { return Fails(Call::kSync) ? -1 : mkov2_system_calls.fsync(fd); },
    [](int fd) {
      // The descriptor is gone whatever close() says.
      const int closed = mkov2_system_calls.close(fd);
      return Fails(Call::kClose) ? -1 : closed;
    },
    [](const char* from, const char* to) { return Fails(Call::kRename) ? -1 : mkov2_system_calls.rename(from, to); },
};

// Every file call of the converter's write failing in turn: the exit
// status says so, the message names the output, and the old overlay stays
// whole.
TEST(MakeOv2Convert, AFailedWriteLeavesTheOldOverlay) {
  ov2test::ScratchDir dir("makeov2_faults");
  ov2test::WriteFile("out.ov2", "old overlay");
  std::string input;
  for (int i = 0; i < 4000; ++i) input += "  1.00000,  2.00000,\"POI number " + std::to_string(i) + "\"\r\n";
  int failures = 0;
  for (const Call call : {Call::kMakeTemp, Call::kWrite, Call::kSync, Call::kClose, Call::kRename}) {
    for (int nth = 1;; ++nth) {
      ov2test::WriteFile("out.ov2", "old overlay");  // the run without a failure replaced it
      g_fault = {call, nth};
      std::ostringstream errors;
      mkov2_calls = &kFaultyCalls;
      const int code = ConvertText("in.tmp", input, "out.ov2", errors);
      mkov2_calls = &mkov2_system_calls;
      if (!g_fault.fired) break;
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

// A group far larger than any the program saves, through the program (whose
// memory management is its own) and through the library: the same file.
TEST(MakeOv2Program, ALargeGroupComesOutAsTheLibraryWritesIt) {
  ov2test::ScratchDir dir("makeov2_large");
  std::string text(nodalux::formats::kTempFileHeader);
  constexpr int kCount = 250000;
  for (int i = 0; i < kCount; ++i) {
    nodalux::formats::AppendTempRecord(text, static_cast<float>(i % 3600) / 10.0f - 180.0f,
                                       static_cast<float>(i % 1799) / 20.0f - 45.0f,
                                       "POI " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 40), 'n'));
  }
  nodalux::formats::AppendTempTrailer(text, kCount);
  ov2test::WriteFile("in.tmp", text);
  ASSERT_EQ(std::system((std::string(MAKEOV2_EXE) + " in.tmp program.ov2").c_str()), 0);
  nodalux::formats::MemorySource input(text);
  std::string errors;
  ASSERT_EQ(Convert("in.tmp", input, "library.ov2", &errors), kOk) << errors;
  const std::string written = ov2test::ReadFile("program.ov2");
  EXPECT_GT(written.size(), 20u * kCount);
  EXPECT_TRUE(written == ov2test::ReadFile("library.ov2"));
}

TEST(MakeOv2Convert, InputFromAPipeNeedsItsCountLine) {
  ov2test::ScratchDir dir("makeov2_piped");
  nodalux::formats::MemorySource cut("1,2,\"a\"\r\n3,4,\"b\"\r\n");
  std::string errors;
  EXPECT_EQ(Convert("standard input", cut, "out.ov2", &errors, true), kFailed);
  EXPECT_EQ(errors, "makeov2: standard input: the input ended before its closing count line; "
                          "no OV2 file written\n");
  EXPECT_FALSE(fs::exists("out.ov2"));
}

// Lines of every length, split across the reader's chunks anywhere: a line
// up to the limit is whole, with or without its carriage return, a longer
// one is cut and said to be, and the numbers count every line.
TEST(MakeOv2Lines, LinesAreWholeUpToTheLimitWhereverTheChunksEnd) {
  constexpr std::size_t kLimit = 16 * 1024;
  const std::vector<std::string> lines = {
      "", "a", std::string(kLimit, 'x'), std::string(kLimit + 1, 'y'), std::string(70000, 'z'), "b",
  };
  std::string text;
  for (const std::string& line : lines) text += line + (line.size() % 2 == 0 ? "\r\n" : "\n");
  text += "last\r";
  for (const std::size_t step : {std::size_t{1}, std::size_t{7}, std::size_t{4093}, text.size()}) {
    SCOPED_TRACE(step);
    nodalux::formats::MemorySource source(text, step);
    mkov2_line_reader* reader = mkov2_line_reader_new(SourceOf(source), kLimit);
    ASSERT_NE(reader, nullptr);
    mkov2_line line;
    for (std::size_t i = 0; i <= lines.size(); ++i) {
      ASSERT_TRUE(mkov2_next_line(reader, &line));
      const std::string expected = i < lines.size() ? lines[i] : "last";
      EXPECT_EQ(line.number, i + 1);
      EXPECT_EQ(line.cut != 0, expected.size() > kLimit);
      EXPECT_EQ(std::string_view(line.text, line.size), std::string_view(expected).substr(0, kLimit));
    }
    EXPECT_FALSE(mkov2_next_line(reader, &line));
    EXPECT_EQ(mkov2_line_reader_error(reader), 0);
    mkov2_line_reader_free(reader);
  }
}

// The words for an error number are those of the GNU C library (which
// these tests run on), whichever C library the converter was built with.
TEST(MakeOv2Messages, ErrorTextsAreTheOnesTheProgramShows) {
  for (int error = 1; error < 134; ++error) {
    // Copied first: the C library may give both in one buffer.
    const std::string ours = mkov2_error_text(error);
    EXPECT_EQ(ours, std::strerror(error)) << error;
  }
}

// The installed program says the same: a loop of links and a name too long
// for the folder, in the words the rest of the program uses.
TEST(MakeOv2Program, SaysErrorsInTheProgramsWords) {
  ov2test::ScratchDir dir("makeov2_words");
  ov2test::WriteFile("in.tmp", "  1.00000,  2.00000,\"x\"\r\n");
  fs::create_symlink("loop_b", "loop_a");
  fs::create_symlink("loop_a", "loop_b");
  const std::string exe = MAKEOV2_EXE;
  const auto said = [&](const std::string& output) {
    const int status = std::system((exe + " in.tmp '" + output + "' 2> said.txt").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kFailed) << output;
    return ov2test::ReadFile("said.txt");
  };
  EXPECT_EQ(said("loop_a"), "makeov2: cannot write loop_a: Too many levels of symbolic links\n");
  const std::string long_name(256, 'n');
  EXPECT_EQ(said(long_name), "makeov2: cannot write " + long_name + ": File name too long\n");
  EXPECT_EQ(said("/dev/null"), "makeov2: cannot write /dev/null: Invalid argument\n");
  EXPECT_EQ(said("."), "makeov2: cannot write .: Is a directory\n");
}

// The output reached through links in its last component gets the new
// content and the link stays; an existing file keeps its permissions, a new
// one gets those the creation mask leaves; a name of 255 bytes is written
// (the temporary name fits beside it).
TEST(MakeOv2Write, FollowsLinksAndKeepsPermissions) {
  ov2test::ScratchDir dir("makeov2_write");
  fs::create_directory("sub");
  ov2test::WriteFile("sub/real.ov2", "old");
  ::chmod("sub/real.ov2", 0640);
  fs::create_symlink("real.ov2", "sub/hop.ov2");       // relative to its own folder
  fs::create_symlink("sub/hop.ov2", "link.ov2");
  ASSERT_EQ(mkov2_write_atomically("link.ov2", "new", 3), 0);
  EXPECT_TRUE(fs::is_symlink("link.ov2"));
  EXPECT_TRUE(fs::is_symlink("sub/hop.ov2"));
  EXPECT_EQ(ov2test::ReadFile("sub/real.ov2"), "new");
  struct stat info {};
  ASSERT_EQ(::stat("sub/real.ov2", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  const mode_t mask = ::umask(027);
  const std::string long_name(255, 'l');
  EXPECT_EQ(mkov2_write_atomically(long_name.c_str(), "x", 1), 0);
  ::umask(mask);
  ASSERT_EQ(::stat(long_name.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ov2test::ReadFile(long_name), "x");

  EXPECT_EQ(mkov2_write_atomically("sub", "x", 1), EISDIR);
  EXPECT_EQ(mkov2_write_atomically("", "x", 1), ENOENT);
  ASSERT_EQ(::mkfifo("fifo", 0600), 0);
  EXPECT_EQ(mkov2_write_atomically("fifo", "x", 1), EINVAL);
  // Nothing was left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 4);
  EXPECT_EQ(std::distance(fs::directory_iterator("sub"), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace makeov2
