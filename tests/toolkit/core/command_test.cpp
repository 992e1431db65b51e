// Command lines, the program's own arguments and running programs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/toolkit/platform/fake_platform.h"
#include "tests/toolkit/core/os_test_support.h"
#include "toolkit/core/command_line.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/text.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/platform/headless/headless_platform.h"
#include "toolkit/platform/transcript.h"

namespace zarv {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;
using Words = std::vector<std::string>;

// Started again with ZARV_ARG_PROBE set, this program prints what
// IOsCommandArg returns for 0..3 and ends.
const bool kProbe = [] {
  if (!std::getenv("ZARV_ARG_PROBE")) return false;
  for (int n = 0; n <= 3; ++n) {
    Text<260> text;
    IOsCommandArg(n, text);
    std::printf("%s|", std::string(text.trimmed()).c_str());
  }
  Text<3> cut;
  IOsCommandArg(1, cut);
  std::printf("%s|", std::string(cut.view()).c_str());
  std::fflush(stdout);
  std::_Exit(0);
}();

TEST(CommandLineTest, ArgumentsByTheRuntimeRules) {
  struct Case {
    const char* line;
    Words words;
  };
  const Case cases[] = {
      {"a b  c", {"a", "b", "c"}},
      {"\"a b\" c", {"a b", "c"}},
      {"\"abc\" d e", {"abc", "d", "e"}},
      {R"(a\\\b d"e f"g h)", {R"(a\\\b)", "de fg", "h"}},
      {R"(a\\\"b c d)", {R"(a\"b)", "c", "d"}},
      {R"(a\\\\"b c" d e)", {R"(a\\b c)", "d", "e"}},
      {R"(a"b"" c d)", {"ab\" c d"}},
      {"\"\"", {""}},
      {"x \"unterminated tail", {"x", "unterminated tail"}},
      {"   \t ", {}},
      {"trailing\\", {"trailing\\"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandArguments(c.line), c.words) << c.line;
}

TEST(CommandLineTest, OwnArgumentWordsAndJoining) {
  EXPECT_EQ(SplitArgumentWords("prog \"a b\" c"), (Words{"prog", "a b", "c"}));
  EXPECT_EQ(SplitArgumentWords("prog \"open tail"), (Words{"prog", "open tail"}));
  EXPECT_EQ(SplitArgumentWords("prog x\"y z"), (Words{"prog", "x\"y", "z"}));
  EXPECT_EQ(SplitArgumentWords(""), Words{});
  EXPECT_EQ(JoinArguments({"prog", "a b", "c", ""}), "prog \"a b\" c \"\"");
  EXPECT_EQ(JoinArguments({"prog", "\"a b\""}), "prog \"a b\"");

  CommandHead head = SplitCommandHead("  \"/opt/my tools/p\" -x");
  EXPECT_EQ(head.program, "/opt/my tools/p");
  EXPECT_EQ(head.rest, " -x");
  EXPECT_TRUE(head.quoted);
  head = SplitCommandHead("sleep 5");
  EXPECT_EQ(head.program, "sleep");
  EXPECT_EQ(head.rest, " 5");
  EXPECT_FALSE(head.quoted);
}

// Names Linux allows that the Windows rules would otherwise split, strip or
// unescape: each comes back whole from its quoted form, between other words.
const Words kHostileNames = {
    "",          "plain",      "two  words",  " lead",        "trail ",
    "a\"b",      "\"",         "\"\"",        "a\"\"b",        "a\\b",
    "trailing\\", "trailing\\\\", "\\\"",       "a\\\"b",        "a\\\\\"b",
    "\\",        "\\\\server\\x", "-x",          "--",           "tab\there",
    "line\nfeed", "cr\rhere",   "\xe9t\xe9",   "\xff\xfe\x80", "*?[a]",
    "$HOME `x` ;|&<>%PATH%^",
};

TEST(CommandLineTest, QuotedArgumentsComeBackExactly) {
  Words names = kHostileNames;
  std::string every_byte;
  for (int b = 1; b < 256; ++b) every_byte += static_cast<char>(b);
  names.push_back(every_byte);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(SplitCommandArguments(QuoteArgument(name)), Words{name});
    EXPECT_EQ(SplitCommandArguments(" makeov2.tmp " + QuoteArgument(name) + " next"),
              (Words{"makeov2.tmp", name, "next"}));
  }
  // Every string of up to six of the characters the rules act on.
  const std::string alphabet = "\\\" \ta";
  std::vector<std::string> level = {""};
  for (int length = 1; length <= 6; ++length) {
    std::vector<std::string> longer;
    for (const std::string& s : level) {
      for (const char c : alphabet) {
        longer.push_back(s + c);
        ASSERT_EQ(SplitCommandArguments(QuoteArgument(longer.back()) + " x"),
                  (Words{longer.back(), "x"}));
      }
    }
    level = std::move(longer);
  }
  // A name without quotes or backslashes is only enclosed.
  EXPECT_EQ(QuoteArgument("/home/u/my maps/p?.ov2"), "\"/home/u/my maps/p?.ov2\"");
}

// Runs this test program again as the probe with `args`.
std::string Probe(const Words& args) {
  int fds[2];
  if (::pipe(fds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 1);
    ::setenv("ZARV_ARG_PROBE", "1", 1);
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    for (auto& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv("/proc/self/exe", argv.data());
    std::_Exit(127);
  }
  ::close(fds[1]);
  std::string out;
  char buf[256];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  return out;
}

TEST(CommandArgTest, ProgramPathAndArgumentsOfTheRunningProgram) {
  const std::string self = OwnProgramPath();
  ASSERT_FALSE(self.empty());
  EXPECT_EQ(Probe({"os_command_tests", "a b", "c"}), self + "|a b|c||a b|");
  EXPECT_EQ(Probe({"os_command_tests", "\"a b\"", "c"}), self + "|a b|c||a b|");
  EXPECT_EQ(Probe({"os_command_tests"}), self + "||||   |");

  Text<8> untouched("keep");
  IOsCommandArg(-1, untouched);
  EXPECT_EQ(untouched.trimmed(), "keep");
}

// Lines of a file a test script wrote.
Words Lines(const std::string& path) {
  Words lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A shell script that writes each of its arguments on a line of OUT.
constexpr std::string_view kEchoArgs =
    "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$OUT\"\n";

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override { test::ClearErrors(); }
  void TearDown() override {
    SetPlatform(nullptr);
    test::ClearErrors();
  }
  // Runs `command` and returns the recorded library error code.
  int Run(std::string_view command, int flags = 2, int timeout = -1) {
    IOsCommand(command, flags, timeout);
    return InfoStatus(1);
  }

  TempDir dir_;
  test::ScopedEnv out_{"OUT", dir_ / "args.txt"};
};

TEST_F(CommandTest, FailedStartsReport13WithTheErrorNumber) {
  struct Case {
    std::string command;
    int os_error;
  };
  WriteFile(dir_ / "notes.txt", "not a program");
  const Case cases[] = {
      {dir_ / "no such program", ENOENT},
      {"no-such-program-anywhere -x", ENOENT},
      {std::string(1024, '"'), ENOENT},
      {"true " + std::string(1100, 'x'), E2BIG},
      {dir_ / "notes.txt", EACCES},
      {dir_.str(), ENOENT},  // a folder names no program
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.command), 13) << c.command.substr(0, 60);
    EXPECT_EQ(InfoStatus(3), c.os_error) << c.command.substr(0, 60);
    EXPECT_EQ(LastCommandStatus(), c.os_error);
  }
}

TEST_F(CommandTest, ResultsOfWaitingAndNotWaiting) {
  EXPECT_EQ(Run("true", 2), 0);
  EXPECT_EQ(LastCommandStatus(), 32);
  EXPECT_EQ(Run("true", 3), 0);
  EXPECT_EQ(LastCommandStatus(), 32);
  EXPECT_EQ(Run("true", 0), 0);
  EXPECT_EQ(LastCommandStatus(), 33);
  // The exit status of the program is not a failure of the start.
  EXPECT_EQ(Run("false", 2), 0);
  EXPECT_EQ(LastCommandStatus(), 32);
  EXPECT_EQ(Run("sleep 0.2", 2, 5), 0);
  EXPECT_EQ(LastCommandStatus(), 32);
  // Blank commands do nothing at all.
  LastCommandStatus();
  IOsCommand("     ", 2);
  EXPECT_EQ(InfoStatus(1), 0);
}

// The caller's work runs while the program does: after it has started and
// before it is waited for; not at all for a program that did not start or
// that nobody waits for.
TEST_F(CommandTest, WorkMeanwhileRunsWhileTheProgramRuns) {
  const std::string started = dir_ / "started", go_on = dir_ / "go-on";
  const std::string script = "touch '" + started + "'; while [ ! -e '" + go_on + "' ]; do sleep 0.01; done";
  int ran = 0;
  RunCommandWhile("sh -c \"" + script + "\"", 2, [&] {
    ++ran;
    for (int i = 0; i < 500 && !fs::exists(started); ++i) ::usleep(10000);
    EXPECT_TRUE(fs::exists(started));  // it is running, and waits for us
    WriteFile(go_on, "");
  });
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(LastCommandStatus(), 32);
  EXPECT_EQ(LastCommandExitStatus(), 0);

  RunCommandWhile(dir_ / "no such program", 2, [&] { ++ran; });
  EXPECT_EQ(InfoStatus(1), 13);
  RunCommandWhile("true", 0, [&] { ++ran; });
  EXPECT_EQ(LastCommandStatus(), 33);
  EXPECT_EQ(ran, 1);
}

TEST_F(CommandTest, TimeOutLeavesTheProgramRunningAndReports1034AtOnce) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run("sleep 5", 3, 0), 1034);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(LastCommandStatus(), -1);
  EXPECT_EQ(InfoStatus(3), 0);
}

TEST_F(CommandTest, ArgumentsArriveAsTheWindowsRulesSplitThem) {
  const std::string folder = dir_ / "my tools/bin dir";
  std::filesystem::create_directories(folder);
  WriteFile(folder + "/show args", kEchoArgs, true);

  // Unquoted, with blanks in the folder and program names.
  EXPECT_EQ(Run(folder + "/show args plain \"two words\" back\\\"quote"), 0);
  EXPECT_EQ(Lines(dir_ / "args.txt"), (Words{"plain", "two words", "back\"quote"}));
  // Quoted.
  EXPECT_EQ(Run("\"" + folder + "/show args\" x"), 0);
  EXPECT_EQ(Lines(dir_ / "args.txt"), Words{"x"});
  // Never through a shell: redirection and variables are plain words.
  EXPECT_EQ(Run("\"" + folder + "/show args\" > $HOME ;"), 0);
  EXPECT_EQ(Lines(dir_ / "args.txt"), (Words{">", "$HOME", ";"}));
}

// The whole road: a program in a folder whose name holds blanks, quotes and
// backslashes, started unquoted, receives each hostile argument exactly.
TEST_F(CommandTest, QuotedArgumentsReachTheProgramExactly) {
  const std::string folder = dir_ / "my \"odd\" \\ tools";
  std::filesystem::create_directories(folder);
  WriteFile(folder + "/show", "#!/bin/sh\nprintf '%s' \"$2\" > \"$OUT\"\n", true);
  for (const std::string& name : kHostileNames) {
    SCOPED_TRACE(name);
    std::filesystem::remove(dir_ / "args.txt");
    ASSERT_EQ(Run(folder + "/show makeov2.tmp " + QuoteArgument(name)), 0);
    EXPECT_EQ(ReadFile(dir_ / "args.txt"), name);
  }
}

TEST_F(CommandTest, ExeIsAppendedToANameWithoutExtension) {
  WriteFile(dir_ / "MakeOV2_v1-1.exe", kEchoArgs, true);
  EXPECT_EQ(Run(dir_ / "MakeOV2_v1-1 in.tmp"), 0);
  EXPECT_EQ(Lines(dir_ / "args.txt"), Words{"in.tmp"});
  // A name with an extension is taken as it stands.
  WriteFile(dir_ / "tool.v2.exe", kEchoArgs, true);
  EXPECT_EQ(Run(dir_ / "tool.v2"), 13);
  EXPECT_EQ(InfoStatus(3), ENOENT);
}

TEST_F(CommandTest, WindowsProgramWithoutWineFailsWithENOEXEC) {
  WriteFile(dir_ / "MakeOV2_v1-1.exe", std::string("MZ\x90\x00\x03", 5) + std::string(200, '\0'), true);
  test::ScopedEnv path("PATH", dir_ / "empty");
  EXPECT_EQ(Run("\"" + (dir_ / "MakeOV2_v1-1.exe") + "\" a.tmp"), 13);
  EXPECT_EQ(InfoStatus(3), ENOEXEC);
  EXPECT_EQ(LastCommandStatus(), ENOEXEC);
}

TEST_F(CommandTest, OutputStaysOffStandardOutputAndInputIsEmpty) {
  const std::string script = dir_ / "talk";
  WriteFile(script, "#!/bin/sh\necho said-on-stdout\ncat > \"$OUT\"\n", true);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  Run(script, 2);
  Run(script, 3);
  const std::string out = ::testing::internal::GetCapturedStdout();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, "");
  // Shown once (flags 2), discarded when hidden (flags 3).
  EXPECT_EQ(err, "said-on-stdout\n");
  EXPECT_EQ(ReadFile(dir_ / "args.txt"), "");
}

TEST_F(CommandTest, WaitingPumpsPaintsAndTheTranscriptHearsOfEachRun) {
  testing::FakePlatform& log = testing::InstallFake();
  Run("sleep 0.3", 2);
  Run("sleep 0.3", 2, 10);
  Run("no-such-program-anywhere", 0);
  Run("true   ", 1);
  EXPECT_GE(log.paint_pumps, 2);
  EXPECT_LE(log.paint_pumps, 4) << "one pump per 100 ms, none without pumping";
  ASSERT_EQ(log.commands.size(), 4u);
  EXPECT_EQ(log.commands[0].command, "sleep 0.3");
  EXPECT_EQ(log.commands[0].flags, 2);
  EXPECT_EQ(log.commands[0].result, 32);
  EXPECT_EQ(log.commands[2].result, ENOENT);
  EXPECT_EQ(log.commands[3].command, "true");
  EXPECT_EQ(log.commands[3].result, 33);
}

// Zombie children of this process, from /proc.
int ZombieChildren() {
  int zombies = 0;
  const std::string self = std::to_string(::getpid());
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream in(entry.path() / "stat");
    std::string stat;
    if (!std::getline(in, stat)) continue;
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 2));
    std::string state, ppid;
    rest >> state >> ppid;
    if (ppid == self && state == "Z") ++zombies;
  }
  return zombies;
}

TEST_F(CommandTest, NoZombiesAreLeftBehind) {
  Run("true", 0);
  Run("sleep 0.3", 2, 0);
  EXPECT_EQ(InfoStatus(1), 0);
  Run(dir_ / "missing", 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_EQ(ZombieChildren(), 0);
}

}  // namespace
}  // namespace zarv

namespace zarv {
namespace {

TEST(CommandTranscriptTest, HeadlessBackendWritesRunAndHelpLines) {
  auto transcript = platform::Transcript::InMemory();
  SetPlatform(platform::CreateHeadlessPlatform("", *transcript));
  test::TempDir dir;
  test::WriteFile(dir / "Nodalux.hlp", "<html/>");
  IOsCommand("true", 2);
  IOsCommand("no-such-program-anywhere \"x y\"", 0);
  WHelpShow(dir / "Nodalux.hlp");
  WHelpShow("");
  SetPlatform(nullptr);
  test::ClearErrors();
  EXPECT_EQ(transcript->lines(),
            (std::vector<std::string>{"run \"true\" 2 -> 32",
                                      "run \"no-such-program-anywhere \\\"x y\\\"\" 0 -> 2",
                                      "help \"" + (dir / "Nodalux.hlp") + "\"", "help close"}));
}

}  // namespace
}  // namespace zarv
