#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "toolkit/platform/script.h"

namespace zarv::platform {
namespace {

using Kind = ScriptLine::Kind;

TEST(ScriptLine, EveryEventVerb) {
  struct Row {
    const char* line;
    InputKind kind;
    int a, b, c, d;
  };
  const Row rows[] = {
      {"menu 40002", InputKind::kMenuPick, 40002, 0, 0, 0},
      {"  menu   -7  ", InputKind::kMenuPick, -7, 0, 0, 0},
      {"close", InputKind::kCloseAsked, 0, 0, 0, 0},
      {"expose", InputKind::kExpose, 0, 0, -1, -1},
      {"expose 1 2 30 40", InputKind::kExpose, 1, 2, 30, 40},
      {"resize 800 600", InputKind::kResize, 800, 600, 0, 0},
      // Sizes beyond any screen are clamped where they enter.
      {"resize 2147483647 2147483647", InputKind::kResize, 16384, 16384, 0, 0},
      {"expose -2147483648 2147483647 2147483647 9", InputKind::kExpose, -16384, 16384, 16384, 9},
      {"minimize", InputKind::kMinimise, 0, 0, 0, 0},
      {"restore", InputKind::kRestore, 0, 0, 0, 0},
  };
  for (const auto& r : rows) {
    const ScriptLine l = ParseScriptLine(r.line, 9);
    ASSERT_EQ(l.kind, Kind::kEvent) << r.line << ": " << l.error;
    EXPECT_EQ(l.number, 9);
    EXPECT_EQ(l.event.kind, r.kind) << r.line;
    EXPECT_EQ(l.event.a, r.a) << r.line;
    EXPECT_EQ(l.event.b, r.b) << r.line;
    EXPECT_EQ(l.event.c, r.c) << r.line;
    EXPECT_EQ(l.event.d, r.d) << r.line;
  }
}

TEST(ScriptLine, AnswersAndActions) {
  EXPECT_EQ(ParseScriptLine("box 2", 1).value, 2);
  EXPECT_EQ(ParseScriptLine("box 2", 1).kind, Kind::kBox);
  EXPECT_EQ(ParseScriptLine("dialog 102", 1).kind, Kind::kDialog);
  EXPECT_EQ(ParseScriptLine("dialog 102", 1).value, 102);

  const ScriptLine cancel = ParseScriptLine("file cancel", 1);
  EXPECT_EQ(cancel.kind, Kind::kFile);
  EXPECT_FALSE(cancel.file.chosen);
  const ScriptLine named = ParseScriptLine(R"(file "cancel")", 1);
  EXPECT_TRUE(named.file.chosen);
  EXPECT_EQ(named.file.path, "cancel");
  const ScriptLine with_index = ParseScriptLine(R"(file "/a b/p.csv" 2)", 1);
  EXPECT_EQ(with_index.file.path, "/a b/p.csv");
  EXPECT_EQ(with_index.file.index, 2);
  EXPECT_FALSE(ParseScriptLine("file p.ov2", 1).file.index.has_value());

  struct Row {
    const char* line;
    DialogAction::Kind kind;
    int field;
    const char* text;
    int option;
  };
  const Row rows[] = {
      {R"(type 1001 "51 30\t")", DialogAction::kType, 1001, "51 30\t", 0},
      {"type 1001 C:\\x", DialogAction::kType, 1001, "C:\\x", 0},
      {"type 5 \"\"", DialogAction::kType, 5, "", 0},
      {"clear 1002", DialogAction::kClear, 1002, "", 0},
      {"pick 1003 2", DialogAction::kPick, 1003, "", 2},
      {"focus 7", DialogAction::kFocus, 7, "", 0},
      {"tab", DialogAction::kTab, 0, "", 0},
      {"enter", DialogAction::kEnter, 0, "", 0},
      {"press 1", DialogAction::kPress, 1, "", 0},
      {"esc", DialogAction::kEsc, 0, "", 0},
      {"closebox", DialogAction::kCloseBox, 0, "", 0},
  };
  for (const auto& r : rows) {
    const ScriptLine l = ParseScriptLine(r.line, 4);
    ASSERT_EQ(l.kind, Kind::kAction) << r.line << ": " << l.error;
    EXPECT_EQ(l.action.kind, r.kind) << r.line;
    EXPECT_EQ(l.action.field, r.field) << r.line;
    EXPECT_EQ(l.action.text, r.text) << r.line;
    EXPECT_EQ(l.action.option, r.option) << r.line;
    EXPECT_EQ(l.action.line, 4) << r.line;
  }
}

TEST(ScriptLine, BadLinesSayWhatIsWrong) {
  const struct {
    const char* line;
    const char* says;
  } rows[] = {
      {"jump 3", "unknown verb"},
      {"menu", "missing arguments"},
      {"menu 1 2", "too many arguments"},
      {"menu x", "whole number"},
      {"menu 99999999999", "whole number"},
      {"menu 12abc", "whole number"},
      {"close now", "too many"},
      {"expose 1 2", "X Y W H"},
      {"expose 0 0 -1 5", "positive"},
      {"expose 0 0 5 0", "positive"},
      {"resize 10", "missing"},
      {"resize -1 5", "positive"},
      {"resize 5 0", "positive"},
      {"box", "missing"},
      {"box yes", "whole number"},
      {"file", "missing"},
      {"file cancel 2", "no index"},
      {"file \"\"", "empty"},
      {"file a.csv 0", "counts from 1"},
      {"file a.csv x", "whole number"},
      {"dialog", "missing"},
      {"type 1001", "missing"},
      {"type abc x", "whole number"},
      {"pick 3 0", "counts from 1"},
      {"pick 3", "missing"},
      {"tab 2", "too many"},
      {R"(type 1 "abc)", "not closed"},
      {R"(type 1 "a\q")", "unknown escape"},
      {R"(type 1 "a\x4")", "hex digits"},
      {R"(type 1 "a\xG0")", "hex digits"},
      {R"(type 1 "a\)", "not closed"},
      {R"(type 1 "a"b)", "blank must follow"},
      {R"(type 1 a"b")", "quote inside"},
  };
  for (const auto& r : rows) {
    const ScriptLine l = ParseScriptLine(r.line, 1);
    EXPECT_EQ(l.kind, Kind::kBad) << r.line;
    EXPECT_NE(l.error.find(r.says), std::string::npos) << r.line << " -> " << l.error;
  }
}

class Driver : public ::testing::Test {
 protected:
  std::unique_ptr<ScriptDriver> load(std::string_view text) {
    return ScriptDriver::FromText(text, *transcript);
  }
  std::unique_ptr<Transcript> transcript = Transcript::InMemory();
};

TEST_F(Driver, EventsInOrderThenCloseRequestsForever) {
  auto s = load("# a comment\n\n  menu 40002\r\n\t# indented comment\nresize 10 20\n");
  EXPECT_EQ(s->next_line_number(), 3);
  EXPECT_EQ(s->next_event().a, 40002);
  EXPECT_EQ(s->next_event().kind, InputKind::kResize);
  EXPECT_TRUE(s->used_up());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s->next_event().kind, InputKind::kCloseAsked);
  EXPECT_TRUE(transcript->lines().empty());
}

TEST_F(Driver, ScriptErrorsAreNotedWithTheirLineAndSkipped) {
  auto s = load("menu 1\nbogus\nbox 1\nfile cancel\ndialog 5\npress 1\nmenu 2\n");
  EXPECT_EQ(s->next_event().a, 1);
  EXPECT_EQ(s->next_event().a, 2);
  const auto& lines = transcript->lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], R"(note "script line 2: unknown verb \"bogus\"; skipped")");
  EXPECT_NE(lines[1].find("script line 3: box answers"), std::string::npos) << lines[1];
  EXPECT_NE(lines[4].find("script line 6: press"), std::string::npos) << lines[4];
}

TEST_F(Driver, ModalAnswersAreTakenOnlyByTheirOwnInteraction) {
  auto s = load("box 2\nfile /x.csv 2\ndialog 102\ntype 1001 5\npress 1\nmenu 3\n");
  EXPECT_FALSE(s->file_answer());   // box 2 is not a file answer: left in place
  EXPECT_FALSE(s->dialog_begins(102));
  EXPECT_EQ(s->box_answer(), 2);
  EXPECT_FALSE(s->box_answer());
  const auto file = s->file_answer();
  ASSERT_TRUE(file);
  EXPECT_EQ(file->path, "/x.csv");
  EXPECT_EQ(file->index, 2);
  EXPECT_FALSE(s->dialog_begins(103));  // another dialog's answer stays
  EXPECT_TRUE(s->dialog_begins(102));
  EXPECT_EQ(s->next_dialog_action()->kind, DialogAction::kType);
  EXPECT_EQ(s->next_dialog_action()->kind, DialogAction::kPress);
  // The event line ends nothing: it is an error inside a dialog answer.
  EXPECT_FALSE(s->next_dialog_action());
  EXPECT_TRUE(s->used_up());
  EXPECT_FALSE(s->box_answer());
  const auto& lines = transcript->lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0],
            R"(note "script line 1 (box) does not answer the file dialog; cancelled")");
  EXPECT_EQ(lines[1],
            R"(note "script line 1 (box) does not answer the dialog 102; close box used")");
  EXPECT_NE(lines[3].find("line 3 (dialog) does not answer the dialog 103"), std::string::npos);
  EXPECT_NE(lines[4].find("script line 6: menu is an event"), std::string::npos);
  EXPECT_EQ(lines[5],
            R"(note "script used up: no answer for the message box; default button used")");
}

TEST_F(Driver, DialogActionStopsAtTheNextModalAnswer) {
  auto s = load("press 1\nbox 1\n");
  EXPECT_TRUE(s->next_dialog_action());
  EXPECT_FALSE(s->next_dialog_action());  // a box answer belongs to a box
  EXPECT_EQ(s->box_answer(), 1);
}

TEST_F(Driver, MissingScriptFileIsANoteAndAnEmptyScript) {
  ::setenv("ZARVSCRIPT", "/nonexistent/dir/script.txt", 1);
  auto s = ScriptDriver::FromEnvironment(*transcript);
  ::unsetenv("ZARVSCRIPT");
  EXPECT_TRUE(s->used_up());
  EXPECT_EQ(s->next_event().kind, InputKind::kCloseAsked);
  ASSERT_EQ(transcript->lines().size(), 1u);
  EXPECT_NE(transcript->lines()[0].find("cannot read the script /nonexistent/dir/script.txt"),
            std::string::npos);

  ::setenv("ZARVSCRIPT", "/", 1);  // a folder is no script either
  auto folder = ScriptDriver::FromEnvironment(*transcript);
  ::unsetenv("ZARVSCRIPT");
  EXPECT_TRUE(folder->used_up());
  EXPECT_EQ(transcript->lines().size(), 2u);
}

TEST_F(Driver, ScriptFileFromEnvironment) {
  const std::string path = ::testing::TempDir() + "script_env.txt";
  std::ofstream(path) << "menu 40001\nclose";  // no final newline
  ::setenv("ZARVSCRIPT", path.c_str(), 1);
  auto s = ScriptDriver::FromEnvironment(*transcript);
  ::unsetenv("ZARVSCRIPT");
  EXPECT_EQ(s->next_event().a, 40001);
  EXPECT_EQ(s->next_event().kind, InputKind::kCloseAsked);
  EXPECT_TRUE(s->used_up());
  std::remove(path.c_str());
}

}  // namespace
}  // namespace zarv::platform
