// Tab controls on the Qt backend: the same script against the same fake
// toolkit gives the headless transcript and the same raw input, and a
// refused switch leaves the page shown.
#include <gtest/gtest.h>

#include <QTabBar>
#include <sstream>

#include "toolkit/platform/headless/headless_platform.h"
#include "toolkit/platform/qt/qt_platform.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {
namespace {

constexpr int kFirstPage10 = kPageKeyBase;
constexpr int kSecondPage10 = kPageKeyBase + 2;

DialogSpec TabbedDialog() {
  DialogSpec d;
  d.id = 500;
  d.caption = "Settings";
  d.cx = 200;
  d.cy = 120;
  auto add = [&](int id, ControlKind kind, std::string text, int x, int y, int cx, int cy) -> ControlSpec& {
    ControlSpec c;
    c.id = id;
    c.kind = kind;
    c.text = std::move(text);
    c.x = x, c.y = y, c.cx = cx, c.cy = cy;
    c.tab_stop = true;
    d.controls.push_back(c);
    return d.controls.back();
  };
  auto on_page = [](ControlSpec& c, int index, int page, int field) {
    c.tab_control = 20;
    c.tab_index = index;
    c.page = page;
    c.page_field = field;
  };
  add(30, ControlKind::kEdit, "own", 5, 5, 80, 12);
  ControlSpec& tabs = add(20, ControlKind::kTabControl, "", 5, 22, 190, 70);
  tabs.tabs = {"Where", "Who"};
  tabs.tab_selection = 0;
  on_page(add(kFirstPage10, ControlKind::kEdit, "first", 5, 5, 60, 12), 0, 501, 10);
  on_page(add(kFirstPage10 + 1, ControlKind::kEdit, "eleven", 5, 20, 60, 12), 0, 501, 11);
  on_page(add(kSecondPage10, ControlKind::kEdit, "second", 5, 5, 60, 12), 1, 502, 10);
  add(1, ControlKind::kDefPushButton, "OK", 100, 100, 40, 14);
  return d;
}

struct FakeToolkit : DialogEvents {
  void opened(DialogView& v) override {
    view = &v;
    v.set_focus(30);
  }
  bool key_typed(int, char32_t, bool, bool) override { return true; }
  void text_changed(int id) override { log << "changed " << id << ' ' << view->text(id) << '\n'; }
  void focus_changing(int from, int to, FocusCause) override { log << "focus " << from << '>' << to << '\n'; }
  void button_pressed(int id) override { view->end(id, view->focus()); }
  void enter_pressed(int, bool, bool) override {}
  void cancel() override { view->end(2, view->focus()); }
  void selection_changed(int) override {}
  void help_requested() override {}
  bool tab_switching(int id, int from, int to) override {
    log << "switch " << id << ' ' << from << '>' << to << '\n';
    if (refuse) {
      view->beep();
      return false;
    }
    view->select_tab(id, to);
    view->set_focus(to == 1 ? kSecondPage10 : kFirstPage10);
    return true;
  }

  DialogView* view = nullptr;
  std::ostringstream log;
  bool refuse = false;
};

std::string Lines(const Transcript& t) {
  std::ostringstream out;
  for (const auto& l : t.lines()) out << l << '\n';
  return out.str();
}

struct Outcome {
  std::string transcript, calls;
};

Outcome RunOn(bool qt, std::string_view script, bool refuse) {
  auto transcript = Transcript::InMemory();
  std::string error;
  std::unique_ptr<Platform> platform =
      qt ? CreateQtPlatform(script, *transcript, &error) : CreateHeadlessPlatform(script, *transcript);
  EXPECT_TRUE(platform) << error;
  if (!platform) return {};
  FakeToolkit toolkit;
  toolkit.refuse = refuse;
  platform->run_modal_dialog(TabbedDialog(), toolkit);
  return {Lines(*transcript), toolkit.log.str()};
}

TEST(QtTabsTest, SwitchingPagesGivesTheHeadlessTranscript) {
  const char* script = "dialog 500\ntype 10 a\npick 20 2\ntype 10 b\ntype 11 c\npress 1\n";
  const Outcome headless = RunOn(false, script, false);
  const Outcome qt = RunOn(true, script, false);
  EXPECT_EQ(qt.transcript, headless.transcript);
  EXPECT_EQ(qt.calls, headless.calls);
  EXPECT_NE(qt.transcript.find("field 20 \"Who\"\nfield 10 \"b\"\n"), std::string::npos) << qt.transcript;
  EXPECT_NE(qt.transcript.find("type 11: the control is hidden"), std::string::npos);
}

TEST(QtTabsTest, RefusedSwitchStaysOnThePage) {
  const char* script = "dialog 500\npick 20 2\ntype 10 z\npress 1\n";
  const Outcome headless = RunOn(false, script, true);
  const Outcome qt = RunOn(true, script, true);
  EXPECT_EQ(qt.transcript, headless.transcript);
  EXPECT_EQ(qt.calls, headless.calls);
  EXPECT_NE(qt.transcript.find("beep\n"), std::string::npos);
  EXPECT_NE(qt.transcript.find("field 10 \"z\""), std::string::npos);
  EXPECT_EQ(qt.transcript.find("field 20 \"Who\""), std::string::npos);
}

}  // namespace
}  // namespace zarv::platform
