// Modal interactions on the offscreen platform: template dialogs driven by
// script actions against a small fake toolkit, and message boxes read back.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <algorithm>
#include <sstream>

#include "tests/toolkit/platform/qt/qt_test_support.h"
#include "toolkit/platform/qt/qt_platform.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {
namespace {

// Stands in for the toolkit's dialog manager: digits and '.' only in 1003,
// the focus may not leave 1003 while it reads "0", buttons 1 and 2 end, but
// not from the click whose focus move was refused.
class FakeToolkit : public DialogEvents {
 public:
  std::vector<std::string> calls;
  DialogView* view = nullptr;

  void opened(DialogView& v) override {
    view = &v;
    v.set_text(1003, "12.5");
    v.set_options(1009, {"N", "S"});
    v.set_selection(1009, 0);
    v.set_focus(1003);
  }
  bool key_typed(int id, char32_t ch, bool, bool) override {
    calls.push_back("key " + std::to_string(id) + ' ' + std::string(1, char(ch)));
    return ch < 0x20 || (ch >= '0' && ch <= '9') || ch == '.';  // editing keys pass
  }
  void text_changed(int id) override { calls.push_back("changed " + std::to_string(id) + ' ' + view->text(id)); }
  void focus_changing(int from, int to, FocusCause cause) override {
    calls.push_back("focus " + std::to_string(from) + '>' + std::to_string(to) + ' ' +
                    std::to_string(int(cause)));
    refused_for = 0;
    if (from == 1003 && view->text(1003) == "0") {
      view->beep();
      view->set_focus(1003);
      refused_for = to;
    }
  }
  void button_pressed(int id) override {
    calls.push_back("button " + std::to_string(id));
    if (id == refused_for) return;
    if (id == 1 || id == 2) view->end(id, last_focus());
  }
  void enter_pressed(int id, bool, bool) override {
    calls.push_back("enter " + std::to_string(id));
    refused_for = 0;
    button_pressed(1);
  }
  void cancel() override {
    calls.push_back("cancel");
    view->end(2, last_focus());
  }
  void selection_changed(int id) override {
    calls.push_back("selection " + std::to_string(id) + ' ' + std::to_string(view->selection(id)));
  }  void help_requested() override {}
  bool tab_switching(int, int, int) override { return true; }


 private:
  int last_focus() { return view->focus(); }
  int refused_for = 0;
};

DialogSpec GroupDialog() {
  DialogSpec spec;
  spec.id = 102;
  spec.caption = "Define POI group";
  spec.font_face = "MS Sans Serif";
  spec.cx = 200;
  spec.cy = 90;
  auto control = [](int id, ControlKind kind, std::string text, int x, int y, int cx, int cy) {
    ControlSpec c;
    c.id = id;
    c.kind = kind;
    c.text = std::move(text);
    c.x = x, c.y = y, c.cx = cx, c.cy = cy;
    c.tab_stop = kind != ControlKind::kStatic && kind != ControlKind::kGroupBox;
    return c;
  };
  spec.controls = {control(1000, ControlKind::kGroupBox, "Centre", 5, 5, 190, 50),
                   control(1001, ControlKind::kStatic, "&Latitude", 10, 18, 40, 10),
                   control(1003, ControlKind::kEdit, "", 55, 16, 60, 12),
                   control(1009, ControlKind::kComboList, "", 120, 16, 30, 40),
                   control(1, ControlKind::kDefPushButton, "OK", 40, 65, 50, 14),
                   control(2, ControlKind::kPushButton, "Cancel", 110, 65, 50, 14)};
  spec.controls[2].numeric = true;
  return spec;
}

class QtModalTest : public ::testing::Test {
 protected:
  void start(std::string_view script) {
    std::string error;
    platform_ = CreateQtPlatform(script, *transcript_, &error);
    ASSERT_TRUE(platform_) << error;
  }
  std::string lines() const {
    std::ostringstream out;
    for (const auto& l : transcript_->lines()) out << l << '\n';
    return out.str();
  }
  std::string calls() const {
    std::ostringstream out;
    for (const auto& c : toolkit_.calls) out << c << '\n';
    return out.str();
  }
  std::unique_ptr<Transcript> transcript_ = Transcript::InMemory();
  std::unique_ptr<Platform> platform_;
  FakeToolkit toolkit_;
};

// Typing clicks into the field, selects all (Ctrl+A) and presses the keys;
// a pick opens the list and clicks the option; a press clicks the button.
TEST_F(QtModalTest, ScriptActionsReachTheToolkitAsRawInput) {
  start("dialog 102\ntype 1003 4x2\npick 1009 2\npress 1\n");
  platform_->run_modal_dialog(GroupDialog(), toolkit_);
  EXPECT_EQ(calls(),
            "key 1003 \x01\nkey 1003 4\nchanged 1003 4\nkey 1003 x\nkey 1003 2\nchanged 1003 42\n"
            "focus 1003>1009 1\nselection 1009 1\nfocus 1009>1 1\nbutton 1\n");
  EXPECT_EQ(lines(),
            "dialog 102 show\nfield 1001 \"&Latitude\"\nfield 1003 \"12.5\"\nfield 1009 \"N\"\n"
            "field 1001 \"&Latitude\"\nfield 1003 \"42\"\nfield 1009 \"S\"\ndialog 102 end 1 1\n");
}

TEST_F(QtModalTest, RefusedFocusKeepsTheFieldAndSkipsThePress) {
  start("dialog 102\ntype 1003 0\npress 1\nclear 1003\ntab\nesc\n");
  platform_->run_modal_dialog(GroupDialog(), toolkit_);
  const std::string c = calls();
  // The click's button comes up after its focus move was refused.
  EXPECT_NE(c.find("focus 1003>1 1\nbutton 1\n"), std::string::npos) << c;
  EXPECT_NE(c.find("changed 1003 \n"), std::string::npos) << "clear deletes the selection\n" << c;
  EXPECT_NE(c.find("focus 1003>1009 0\n"), std::string::npos) << "tab moves with the tab cause\n" << c;
  EXPECT_NE(c.find("cancel"), std::string::npos);
  const std::string l = lines();
  EXPECT_NE(l.find("beep\n"), std::string::npos) << l;
  EXPECT_NE(l.find("script line 3: press 1: the focus stayed on 1003; skipped"), std::string::npos) << l;
  EXPECT_NE(l.find("dialog 102 end 2 1009\n"), std::string::npos) << l;
}

TEST_F(QtModalTest, EnterGoesToTheToolkitAndUnansweredDialogsCloseByTheCloseBox) {
  start("dialog 102\ntype 1003 7\nenter\nmenu 40002\n");
  platform_->run_modal_dialog(GroupDialog(), toolkit_);
  EXPECT_NE(calls().find("enter 1003\nbutton 1\n"), std::string::npos) << calls();
  toolkit_.calls.clear();
  platform_->run_modal_dialog(GroupDialog(), toolkit_);  // the script answers no dialog now
  EXPECT_EQ(calls(), "cancel\n");
  EXPECT_NE(lines().find("dialog 102 end 2 1003\n"), std::string::npos) << lines();
}

TEST_F(QtModalTest, DialogUnitsFollowTheFont) {
  start("");
  const DialogBaseUnits units = platform_->dialog_base_units("No Such Face", 8);
  EXPECT_GT(units.width, 3);
  EXPECT_GT(units.height, 8);
  const DialogBaseUnits large = platform_->dialog_base_units("No Such Face", 16);
  EXPECT_GT(large.height, units.height);
}

struct BoxCase {
  int buttons, icon, default_position;
  const char* script;
  int result;
  const char* line;
};

TEST_F(QtModalTest, MessageBoxesAreReadBackFromTheBox) {
  const BoxCase cases[] = {
      {0, 4, 0, "", 1, "box 0 4 1 \"Title\" \"one\\rtwo\" -> 1"},
      {3, 2, 1, "", 2, "box 3 2 2 \"Title\" \"one\\rtwo\" -> 2"},
      {3, 2, 1, "box 1\n", 1, "box 3 2 2 \"Title\" \"one\\rtwo\" -> 1"},
      {5, 1, 1, "box 0\n", 0, "box 5 1 1 \"Title\" \"one\\rtwo\" -> 0"},
      {4, 3, 2, "", 0, "box 4 3 0 \"Title\" \"one\\rtwo\" -> 0"},
      {9, 7, 5, "", 1, "box 0 0 1 \"Title\" \"one\\rtwo\" -> 1"},
      {1, 0, 0, "box 2\n", 1, "box 1 0 1 \"Title\" \"one\\rtwo\" -> 1"},
  };
  for (const BoxCase& c : cases) {
    transcript_ = Transcript::InMemory();
    start(c.script);
    MessageBoxSpec spec;
    spec.buttons = c.buttons;
    spec.icon = c.icon;
    spec.default_button = c.default_position;
    spec.title = "Title";
    spec.text = "one\rtwo";
    EXPECT_EQ(platform_->message_box(spec), c.result) << c.line;
    const auto& l = transcript_->lines();
    EXPECT_NE(std::find(l.begin(), l.end(), c.line), l.end()) << lines();
    platform_.reset();
  }
}

}  // namespace
}  // namespace zarv::platform
