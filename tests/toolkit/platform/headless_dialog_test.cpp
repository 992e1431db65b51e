#include <gtest/gtest.h>

#include <algorithm>

#include "toolkit/platform/headless/headless_platform.h"

namespace zarv::platform {
namespace {

// A dialog with a numeric field 1001 (digits and '.', must not be empty to
// leave it), a text field 1002 (must not be empty to press OK) limited to 5 characters, an
// editable combo 1003, a drop-down list 1004, a static, OK (1), Cancel (2),
// a disabled button 3, a hidden edit 1005 and a check box 1006.
DialogSpec TestDialog() {
  DialogSpec d;
  d.id = 102;
  auto add = [&](int id, ControlKind kind, std::string text = "", bool tab = true) {
    ControlSpec c;
    c.id = id;
    c.kind = kind;
    c.text = std::move(text);
    c.tab_stop = tab;
    d.controls.push_back(c);
    return &d.controls.back();
  };
  add(-1, ControlKind::kStatic, "Latitude:", false);
  add(1001, ControlKind::kEdit);
  add(1002, ControlKind::kEdit)->length_limit = 5;
  add(1003, ControlKind::kComboEdit);
  add(1004, ControlKind::kComboList);
  add(3, ControlKind::kPushButton, "Help")->enabled = false;
  add(1005, ControlKind::kEdit)->visible = false;
  add(1006, ControlKind::kCheckBox, "Keep");
  add(1, ControlKind::kDefPushButton, "OK");
  add(2, ControlKind::kPushButton, "Cancel");
  return d;
}

struct FakeToolkit : DialogEvents {
  void opened(DialogView& v) override {
    view = &v;
    v.set_text(1001, "51.5");
    v.set_options(1003, {"N", "S"});
    v.set_selection(1003, 0);
    v.set_options(1004, {"miles", "km"});
    v.set_selection(1004, 1);
    v.set_focus(1001);
    if (end_at_once) v.end(1, 0);
  }
  bool key_typed(int id, char32_t ch, bool, bool) override {
    log.push_back("key " + std::to_string(id) + ' ' + std::to_string(ch));
    if (id == 1001 && !((ch >= '0' && ch <= '9') || ch == '.')) {
      view->beep();
      return false;
    }
    return true;
  }
  void text_changed(int id) override {
    log.push_back("changed " + std::to_string(id) + ' ' + view->text(id));
  }
  void focus_changing(int from, int to, FocusCause cause) override {
    log.push_back("focus " + std::to_string(from) + ' ' + std::to_string(to) + ' ' +
                  std::to_string(static_cast<int>(cause)));
    if (from == 1001 && view->text(1001).empty()) view->set_focus(1001);
  }
  void button_pressed(int id) override {
    log.push_back("button " + std::to_string(id));
    if (id == 1 && !view->text(1002).empty()) view->end(1, view->focus());
    if (id == 2) view->end(2, view->focus());
  }
  void enter_pressed(int id, bool, bool) override { log.push_back("enter " + std::to_string(id)); }
  void cancel() override {
    log.push_back("cancel");
    if (!refuse_cancel) view->end(2, view->focus());
  }
  void selection_changed(int id) override {
    log.push_back("selection " + std::to_string(id) + ' ' + std::to_string(view->selection(id)) +
                  ' ' + std::to_string(view->check(id)));
  }  void help_requested() override {}
  bool tab_switching(int, int, int) override { return true; }


  DialogView* view = nullptr;
  std::vector<std::string> log;
  bool refuse_cancel = false;
  bool end_at_once = false;
};

class HeadlessDialogTest : public ::testing::Test {
 protected:
  void run(std::string_view script) {
    platform = CreateHeadlessPlatform(script, *transcript);
    platform->run_modal_dialog(TestDialog(), toolkit);
  }
  const std::vector<std::string>& lines() { return transcript->lines(); }
  std::vector<std::string> notes() {
    std::vector<std::string> out;
    for (const auto& l : lines()) {
      if (l.rfind("note ", 0) == 0) out.push_back(l);
    }
    return out;
  }

  std::unique_ptr<Transcript> transcript = Transcript::InMemory();
  std::unique_ptr<Platform> platform;
  FakeToolkit toolkit;
};

// Control characters in a typed text are the keys a person presses for
// them; other control bytes and bad UTF-8 are no keys and are noted.
TEST_F(HeadlessDialogTest, ControlCharactersAreKeys) {
  run(R"(dialog 102
type 1002 "\xC3\xA9b\x08\x08\x01c\xFFd\tx"
type 1003 "z\r"
esc
)");
  const auto& l = lines();
  auto has = [&](const std::string& line) { return std::find(l.begin(), l.end(), line) != l.end(); };
  EXPECT_TRUE(has(R"(field 1002 "cd")")) << "two Backspaces took back b and the two-byte e";
  EXPECT_TRUE(has(R"(note "script line 2: type 1002: byte 0x01 is no key; skipped")"));
  EXPECT_TRUE(has(R"(note "script line 2: type 1002: byte 0xFF is no key; skipped")"));
  EXPECT_TRUE(has(R"(note "script line 2: type 1002: the focus moved to 1003 while typing; the rest; skipped")"))
      << "Tab moved the focus on";
  EXPECT_NE(std::find(toolkit.log.begin(), toolkit.log.end(), "enter 1003"), toolkit.log.end())
      << "Enter presses the default button through the toolkit";
  EXPECT_NE(std::find(toolkit.log.begin(), toolkit.log.end(), "key 1002 8"), toolkit.log.end())
      << "Backspace goes through the typing filter";
}

TEST_F(HeadlessDialogTest, TypedTextGoesThroughTheToolkitsFilter) {
  run("dialog 102\ntype 1001 4x2\nesc\n");
  const std::vector<std::string> expected_log = {
      "key 1001 52", "changed 1001 4", "key 1001 120", "key 1001 50", "changed 1001 42",
      "cancel"};
  EXPECT_EQ(toolkit.log, expected_log);
  const std::vector<std::string> fields = {
      R"(field -1 "Latitude:")", R"(field 1001 "51.5")", R"(field 1002 "")",
      R"(field 1003 "N")", R"(field 1004 "km")", R"(field 1005 "")"};
  std::vector<std::string> expected = {"dialog 102 show"};
  expected.insert(expected.end(), fields.begin(), fields.end());
  expected.push_back("beep");
  expected.insert(expected.end(), fields.begin(), fields.end());
  expected[expected.size() - 5] = R"(field 1001 "42")";
  expected.push_back("dialog 102 end 2 1001");
  EXPECT_EQ(lines(), expected);
}

TEST_F(HeadlessDialogTest, RefusedPressKeepsTheDialogOpenForTheNextLines) {
  run("dialog 102\npress 1\ntype 1002 abc\nclear 1001\ntype 1002 x\ntype 1001 7\npress 1\n"
      "menu 5\n");
  // OK is refused while 1002 is empty; later the empty 1001 keeps the focus,
  // so the typing into 1002 is skipped.
  EXPECT_EQ(lines().back(), "dialog 102 end 1 1");
  const auto n = notes();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0], R"(note "script line 5: type 1002: the focus stayed on 1001; skipped")");
  EXPECT_EQ(std::count(toolkit.log.begin(), toolkit.log.end(), "button 1"), 2);
  EXPECT_NE(std::find(toolkit.log.begin(), toolkit.log.end(), "changed 1002 abc"),
            toolkit.log.end());
  // The event line after the answer stays for the program.
  platform->message_box({0, 0, 0, "", ""});
  EXPECT_NE(notes().back().find("script line 8 (menu) does not answer"), std::string::npos);
}

TEST_F(HeadlessDialogTest, DefaultsWhenTheScriptDoesNotAnswer) {
  run("menu 5\n");  // no answer: the close box
  EXPECT_EQ(toolkit.log, std::vector<std::string>{"cancel"});
  EXPECT_EQ(lines().back(), "dialog 102 end 2 1001");
  ASSERT_EQ(notes().size(), 1u);
  EXPECT_NE(notes()[0].find("does not answer the dialog 102; close box used"), std::string::npos);
}

TEST_F(HeadlessDialogTest, AnswerRunsOutThenCancelThenForce) {
  toolkit.refuse_cancel = true;
  run("dialog 102\nclear 1001\nmenu 4\n");
  const auto n = notes();
  ASSERT_EQ(n.size(), 3u);
  EXPECT_NE(n[0].find("script line 3: menu is an event"), std::string::npos) << n[0];
  EXPECT_NE(n[1].find("still open where its script answer ends"), std::string::npos) << n[1];
  EXPECT_NE(n[2].find("did not end on the close box"), std::string::npos) << n[2];
  EXPECT_EQ(toolkit.log.back(), "cancel");
  EXPECT_EQ(lines().back(), "dialog 102 end 2 1001");
}

TEST_F(HeadlessDialogTest, EndedWhileOpeningTakesNoScriptLines) {
  toolkit.end_at_once = true;
  run("dialog 102\nesc\n");
  EXPECT_TRUE(toolkit.log.empty());
  EXPECT_EQ(lines().back(), "dialog 102 end 1 0");
  EXPECT_EQ(platform->message_box({0, 0, 0, "", ""}), 1);  // the lines were left in place
  EXPECT_NE(notes().at(0).find("line 1 (dialog) does not answer the message box"),
            std::string::npos);
}

TEST_F(HeadlessDialogTest, CombosListsAndCheckBoxes) {
  run("dialog 102\npick 1003 2\ntype 1003 E\npick 1004 1\npick 1004 3\npress 1006\npress 1006\n"
      "type 1004 x\nesc\n");
  const std::vector<std::string> expected_log = {
      "focus 1001 1003 1", "selection 1003 1 0", "key 1003 69", "changed 1003 E",
      "focus 1003 1004 1", "selection 1004 0 0", "focus 1004 1006 1", "selection 1006 -1 1",
      "selection 1006 -1 0", "cancel"};
  EXPECT_EQ(toolkit.log, expected_log);
  const auto n = notes();
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(n[0], R"(note "script line 5: pick 1004 3: the control has 2 options; skipped")");
  EXPECT_EQ(n[1], R"(note "script line 8: type 1004: the control takes no typing; skipped")");
  // Typing into the combo's edit field dropped its selection; the list shows
  // its option.
  const auto& l = lines();
  EXPECT_NE(std::find(l.begin(), l.end(), R"(field 1003 "E")"), l.end());
  EXPECT_NE(std::find(l.begin(), l.end(), R"(field 1004 "miles")"), l.end());
}

TEST_F(HeadlessDialogTest, TabVisitsReachableStopsAndWraps) {
  run("dialog 102\ntab\ntab\ntab\ntab\ntab\ntab\ntab\ntab\nenter\n");
  std::vector<std::string> moves;
  for (const auto& e : toolkit.log) {
    if (e.rfind("focus", 0) == 0) moves.push_back(e);
  }
  // Disabled 3 and hidden 1005 are passed over; after Cancel comes 1001.
  const std::vector<std::string> expected = {
      "focus 1001 1002 0", "focus 1002 1003 0", "focus 1003 1004 0", "focus 1004 1006 0",
      "focus 1006 1 0",    "focus 1 2 0",       "focus 2 1001 0",    "focus 1001 1002 0"};
  EXPECT_EQ(moves, expected);
  EXPECT_EQ(toolkit.log.end()[-2], "enter 1002");
  EXPECT_EQ(lines().back(), "dialog 102 end 2 1002");  // Enter in a field ended nothing
}

TEST_F(HeadlessDialogTest, EnterOnAButtonPressesIt) {
  run("dialog 102\nfocus 2\nenter\n");
  EXPECT_EQ(toolkit.log.back(), "button 2");
  EXPECT_EQ(lines().back(), "dialog 102 end 2 2");
}

TEST_F(HeadlessDialogTest, UnreachableControlsAreNotedNotActedOn) {
  run("dialog 102\npress 3\ntype 1005 x\nfocus 77\nfocus -1\npress 1002\ntype 1002 abcdefg\n"
      "clear 1002\nclear 1002\nesc\n");
  const auto n = notes();
  ASSERT_EQ(n.size(), 5u);
  EXPECT_NE(n[0].find("press 3: the control is disabled"), std::string::npos);
  EXPECT_NE(n[1].find("type 1005: the control is hidden"), std::string::npos);
  EXPECT_NE(n[2].find("focus 77: dialog 102 has no such control"), std::string::npos);
  EXPECT_NE(n[3].find("focus -1: the control takes no focus"), std::string::npos);
  EXPECT_NE(n[4].find("press 1002: the control is no button"), std::string::npos);
  // The limit of 5 keeps the rest out; the second clear changes nothing.
  const auto changes = std::count_if(toolkit.log.begin(), toolkit.log.end(), [](auto& e) {
    return e.rfind("changed 1002", 0) == 0;
  });
  EXPECT_EQ(changes, 6);
  EXPECT_NE(std::find(toolkit.log.begin(), toolkit.log.end(), "changed 1002 abcde"),
            toolkit.log.end());
}

// A toolkit that asks a question while a button is handled: the message box
// takes its answer from the lines inside the dialog's answer.
struct AskingToolkit : FakeToolkit {
  Platform* platform = nullptr;
  void button_pressed(int id) override {
    const int answer = platform->message_box({3, 2, 0, "Sure?", ""});
    if (answer == 1) view->end(id, view->focus());
  }
};

TEST(HeadlessNested, MessageBoxInsideADialog) {
  auto transcript = Transcript::InMemory();
  auto platform = CreateHeadlessPlatform("dialog 102\npress 1\nbox 2\npress 1\nbox 1\n", *transcript);
  AskingToolkit toolkit;
  toolkit.platform = platform.get();
  platform->run_modal_dialog(TestDialog(), toolkit);
  const auto& l = transcript->lines();
  EXPECT_EQ(std::count(l.begin(), l.end(), R"(box 3 2 1 "Sure?" "" -> 2)"), 1);
  EXPECT_EQ(std::count(l.begin(), l.end(), R"(box 3 2 1 "Sure?" "" -> 1)"), 1);
  EXPECT_EQ(l.back(), "dialog 102 end 1 1");
}

}  // namespace
}  // namespace zarv::platform
