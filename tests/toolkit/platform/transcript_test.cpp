#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "toolkit/platform/script.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {
namespace {

TEST(Quote, EscapesExactlyTheBytesOutsidePrintableAscii) {
  EXPECT_EQ(Quote(""), "\"\"");
  EXPECT_EQ(Quote("a b"), "\"a b\"");
  EXPECT_EQ(Quote("\\\"\r\n\t"), R"("\\\"\r\n\t")");
  EXPECT_EQ(Quote(std::string("\0\x1f\x7f\x80\xff~", 6)), R"("\x00\x1F\x7F\x80\xFF~")");
}

TEST(Quote, EveryByteRoundTripsThroughTheScriptReader) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    std::vector<ScriptWord> words;
    std::string error;
    ASSERT_TRUE(SplitScriptLine(Quote(one), words, error)) << b << ": " << error;
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].text, one) << b;
    EXPECT_TRUE(words[0].quoted);
  }
  std::vector<ScriptWord> words;
  std::string error;
  ASSERT_TRUE(SplitScriptLine("type 3 " + Quote(all), words, error)) << error;
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[2].text, all);
  // Only printable ASCII ever reaches the file: no line can be split or torn.
  for (const char c : Quote(all)) EXPECT_TRUE(c >= 32 && c <= 126);
}

TEST(Transcript, WritesEachLineInItsOwnWords) {
  auto t = Transcript::InMemory();
  t->window("Nodalux", {640, 480});
  t->toolbar(30101, {{40002, 0}, {0, -1}, {40003, 1}});
  t->statusparts({200, -1});
  t->status(2, "N 51.50000  W 0.12000   ");
  t->text(4, 16, "Input from x");
  t->clear(0, 0, 640, 480);
  t->box(3, 2, 2, "Title", "line1\rline2", 1);
  t->file(false, "Open", "A|*.a|", 128, "poi.csv", std::string("/tmp/poi.csv"), 2);
  t->file(true, "Save", "", 3, "", std::nullopt, 1);
  t->dialog_show(102);
  t->field(1001, "51.5");
  t->dialog_end(102, 1, 1001);
  t->beep();
  t->help("/opt/Nodalux.hlp");
  t->help_close();
  t->run("x.exe a b", 1, 0);
  t->exit(0);
  t->note("script line 3: \"x\"");
  const std::vector<std::string> expected = {
      R"(window "Nodalux" 640x480)",
      "toolbar 30101 40002 - 40003",
      "statusparts 200 -1",
      R"(status 2 "N 51.50000  W 0.12000")",
      R"(text 4 16 "Input from x")",
      "clear 0 0 640 480",
      R"(box 3 2 2 "Title" "line1\rline2" -> 1)",
      R"(file open "Open" "A|*.a|" 128 "poi.csv" -> "/tmp/poi.csv" 2)",
      R"(file save "Save" "" 3 "" -> cancel)",
      "dialog 102 show",
      R"(field 1001 "51.5")",
      "dialog 102 end 1 1001",
      "beep",
      R"(help "/opt/Nodalux.hlp")",
      "help close",
      R"(run "x.exe a b" 1 -> 0)",
      "exit 0",
      R"(note "script line 3: \"x\"")",
  };
  EXPECT_EQ(t->lines(), expected);
}

TEST(Transcript, FileFromEnvironmentHasEveryLineAtOnce) {
  const std::string path = ::testing::TempDir() + "transcript_env.txt";
  ::setenv("ZARVTRANSCRIPT", path.c_str(), 1);
  auto t = Transcript::FromEnvironment();
  ::unsetenv("ZARVTRANSCRIPT");
  t->beep();
  t->exit(3);
  // Read while the transcript is still open: lines are flushed as written.
  std::ifstream in(path);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "beep\nexit 3\n");
  EXPECT_TRUE(t->lines().empty());
  std::remove(path.c_str());
}

TEST(Transcript, NeverOverwritesTheScript) {
  const std::string path = ::testing::TempDir() + "script_and_transcript.txt";
  std::ofstream(path) << "menu 1\n";
  ::setenv("ZARVSCRIPT", path.c_str(), 1);
  ::setenv("ZARVTRANSCRIPT", path.c_str(), 1);
  auto t = Transcript::FromEnvironment();
  ::unsetenv("ZARVSCRIPT");
  ::unsetenv("ZARVTRANSCRIPT");
  t->beep();
  std::ifstream in(path);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "menu 1\n");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace zarv::platform
