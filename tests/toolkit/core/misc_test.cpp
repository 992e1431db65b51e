// Environment variables, the current folder and the help viewer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "tests/toolkit/platform/fake_platform.h"
#include "tests/toolkit/core/os_test_support.h"
#include "toolkit/core/command_line.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/text.h"
#include "toolkit/core/toolkit.h"

namespace zarv {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

class MiscTest : public ::testing::Test {
 protected:
  void SetUp() override { test::ClearErrors(); }
  void TearDown() override {
    SetPlatform(nullptr);
    test::ClearErrors();
  }
};

TEST_F(MiscTest, EnvironmentVariables) {
  struct Case {
    const char* name;
    const char* set;  // nullptr: unset
    std::size_t length;
    const char* expected;
    int error;
  };
  const Case cases[] = {
      {"ZARV_T", "value", 5, "value", 0},
      {"  ZARV_T  ", "value", 8, "value", 0},
      {"ZARV_T", "value", 4, "", 1023},
      {"ZARV_T", "", 4, "", 0},
      {"ZARV_T", nullptr, 4, "", 0},
      {"", "x", 4, "", 0},
      {"ZARV_T=x", "x", 4, "", 0},
  };
  for (const Case& c : cases) {
    if (c.set) {
      ::setenv("ZARV_T", c.set, 1);
    } else {
      ::unsetenv("ZARV_T");
    }
    std::string buffer(c.length, '#');
    IOsVariable(c.name, TextSpan(buffer.data(), buffer.size()));
    EXPECT_EQ(Trimmed(buffer), c.expected) << c.name << "=" << (c.set ? c.set : "(unset)");
    EXPECT_EQ(buffer.find('#'), std::string::npos) << "the value is blanked first";
    EXPECT_EQ(InfoStatus(1), c.error) << c.name;
  }
  ::unsetenv("ZARV_T");
}

TEST_F(MiscTest, CurrentFolder) {
  TempDir dir;
  test::ScopedCwd cwd(dir.path());
  const std::string here = dir.str();

  std::string exact(here.size(), '#');
  IOsDirName(TextSpan(exact.data(), exact.size()));
  EXPECT_EQ(exact, here);
  EXPECT_EQ(InfoStatus(1), 0);

  std::string roomy(here.size() + 10, '#');
  IOsDirName(TextSpan(roomy.data(), roomy.size()));
  EXPECT_EQ(roomy, here + std::string(10, ' '));

  std::string small(here.size() - 1, '#');
  IOsDirName(TextSpan(small.data(), small.size()));
  EXPECT_EQ(InfoStatus(1), 1023);
  EXPECT_TRUE(IsBlank(small));

  // A current folder that was removed is an operating-system failure.
  fs::create_directory(dir.path() / "gone");
  fs::current_path(dir.path() / "gone");
  fs::remove(dir.path() / "gone");
  IOsDirName(TextSpan(roomy.data(), roomy.size()));
  EXPECT_EQ(InfoStatus(1), 13);
  EXPECT_EQ(InfoStatus(3), ENOENT);
  EXPECT_TRUE(IsBlank(roomy));
}

TEST_F(MiscTest, HelpFileIsFoundHereOrInTheProgramFolder) {
  testing::FakePlatform& log = testing::InstallFake();
  TempDir dir;
  test::ScopedCwd cwd(dir.path());
  test::WriteFile(dir / "Local.HLP", "<html>help</html>");

  WHelpShow("Local.HLP   ", 3, 1);
  EXPECT_EQ(InfoStatus(1), 0);
  ASSERT_EQ(log.help_shown.size(), 1u);
  EXPECT_EQ(log.help_shown[0], dir / "Local.HLP");

  // Not here: the program's folder is looked in next.
  const std::string beside = OwnProgramFolder() + "ZarvOsTest.hlp";
  test::WriteFile(beside, "<html/>");
  WHelpShow("ZarvOsTest.hlp");
  fs::remove(beside);
  EXPECT_EQ(InfoStatus(1), 0);
  ASSERT_EQ(log.help_shown.size(), 2u);
  EXPECT_EQ(log.help_shown[1], beside);

  WHelpShow("   ");
  EXPECT_EQ(log.help_closed, 1);
  EXPECT_EQ(InfoStatus(1), 0);
}

TEST_F(MiscTest, HelpFailures) {
  testing::FakePlatform& log = testing::InstallFake();
  TempDir dir;
  test::WriteFile(dir / "Help.txt", "text");
  struct Case {
    std::string name;
    int error;
  };
  const Case cases[] = {
      {dir / "Missing.hlp", 1030},
      {"NoSuchFileAnywhere.hlp", 1030},
      {dir / "Help.txt", 1031},
      {"hlp", 1031},
      {dir.str() + "/", 1031},
  };
  for (const Case& c : cases) {
    WHelpShow(c.name);
    EXPECT_EQ(InfoStatus(1), c.error) << c.name;
  }
  EXPECT_TRUE(log.help_shown.empty());
}

TEST_F(MiscTest, ClosingHelpWithoutAPlatformMakesNone) {
  WHelpShow("");
  EXPECT_FALSE(HavePlatform());
  EXPECT_EQ(PathSeparator(), '/');
}

}  // namespace
}  // namespace zarv
