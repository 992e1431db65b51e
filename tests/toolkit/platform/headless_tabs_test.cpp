// The headless tab control: one page shown at a time, script lines reach
// only the shown page, a switch asks the toolkit first.
#include <gtest/gtest.h>

#include <algorithm>

#include "toolkit/platform/headless/headless_platform.h"

namespace zarv::platform {
namespace {

constexpr int kFirstPage10 = kPageKeyBase;      // page 501, field 10
constexpr int kFirstPage11 = kPageKeyBase + 1;  // page 501, field 11
constexpr int kSecondPage10 = kPageKeyBase + 2; // page 502, field 10

// Own edit 30, tab control 20 ("Where", "Who") showing pages 501 and 502,
// which both have a field 10, and OK.
DialogSpec TabbedDialog() {
  DialogSpec d;
  d.id = 500;
  auto add = [&](int id, ControlKind kind, std::string text = "") -> ControlSpec& {
    ControlSpec c;
    c.id = id;
    c.kind = kind;
    c.text = std::move(text);
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
  add(30, ControlKind::kEdit, "own");
  ControlSpec& tabs = add(20, ControlKind::kTabControl);
  tabs.tabs = {"Where", "Who"};
  tabs.tab_selection = 0;
  on_page(add(kFirstPage10, ControlKind::kEdit, "first"), 0, 501, 10);
  on_page(add(kFirstPage11, ControlKind::kEdit, "eleven"), 0, 501, 11);
  on_page(add(kSecondPage10, ControlKind::kEdit, "second"), 1, 502, 10);
  add(1, ControlKind::kDefPushButton, "OK");
  return d;
}

struct FakeToolkit : DialogEvents {
  void opened(DialogView& v) override { view = &v; }
  bool key_typed(int, char32_t, bool, bool) override { return true; }
  void text_changed(int id) override { log.push_back("changed " + std::to_string(id)); }
  void focus_changing(int from, int to, FocusCause) override {
    log.push_back("focus " + std::to_string(from) + ' ' + std::to_string(to));
  }
  void button_pressed(int id) override { view->end(id, view->focus()); }
  void enter_pressed(int, bool, bool) override {}
  void cancel() override { view->end(2, view->focus()); }
  void selection_changed(int) override {}
  void help_requested() override {}
  bool tab_switching(int id, int from, int to) override {
    log.push_back("switch " + std::to_string(id) + ' ' + std::to_string(from) + ' ' +
                  std::to_string(to));
    if (refuse) {
      view->beep();
      return false;
    }
    view->select_tab(id, to);
    view->set_focus(to == 1 ? kSecondPage10 : kFirstPage10);
    return true;
  }

  DialogView* view = nullptr;
  std::vector<std::string> log;
  bool refuse = false;
};

class HeadlessTabsTest : public ::testing::Test {
 protected:
  void run(std::string_view script) {
    platform = CreateHeadlessPlatform(script, *transcript);
    platform->run_modal_dialog(TabbedDialog(), toolkit);
  }
  bool has(std::string_view line) const {
    const auto& l = transcript->lines();
    return std::find(l.begin(), l.end(), line) != l.end();
  }
  bool logged(std::string_view line) const {
    return std::find(toolkit.log.begin(), toolkit.log.end(), line) != toolkit.log.end();
  }

  std::unique_ptr<Transcript> transcript = Transcript::InMemory();
  std::unique_ptr<Platform> platform;
  FakeToolkit toolkit;
};

TEST_F(HeadlessTabsTest, TranscriptShowsTheSelectedLabelAndOnlyTheShownPage) {
  run("dialog 500\npick 20 2\nesc\n");
  const std::vector<std::string> before = {
      "dialog 500 show", R"(field 30 "own")", R"(field 20 "Where")", R"(field 10 "first")",
      R"(field 11 "eleven")"};
  const auto& l = transcript->lines();
  ASSERT_GE(l.size(), before.size());
  EXPECT_EQ(std::vector<std::string>(l.begin(), l.begin() + 5), before);
  EXPECT_TRUE(has(R"(field 20 "Who")"));
  EXPECT_TRUE(has(R"(field 10 "second")"));
  const auto after = std::find(l.begin(), l.end(), R"(field 20 "Who")");
  EXPECT_EQ(std::find(after, l.end(), R"(field 11 "eleven")"), l.end());
  EXPECT_TRUE(logged("switch 20 0 1"));
  EXPECT_EQ(l.back(), "dialog 500 end 2 " + std::to_string(kSecondPage10));
}

TEST_F(HeadlessTabsTest, ScriptLinesReachTheShownPageAndTabWalksIt) {
  run("dialog 500\n"
      "type 10 a\n"      // page 501's field 10
      "focus 30\ntab\ntab\ntab\n"
      "pick 20 2\n"
      "type 10 b\n"      // now page 502's
      "type 11 c\n"      // on the hidden page
      "focus 30\ntab\ntab\n"
      "esc\n");
  EXPECT_TRUE(logged("changed " + std::to_string(kFirstPage10)));
  EXPECT_TRUE(logged("changed " + std::to_string(kSecondPage10)));
  EXPECT_TRUE(has(R"(note "script line 9: type 11: the control is hidden; skipped")"));
  // 30, the tabs, then the shown page's fields in order.
  EXPECT_TRUE(logged("focus 30 20"));
  EXPECT_TRUE(logged("focus 20 " + std::to_string(kFirstPage10)));
  EXPECT_TRUE(logged("focus " + std::to_string(kFirstPage10) + ' ' + std::to_string(kFirstPage11)));
  // With the second page shown, the Tab key skips the first page's fields.
  const auto last_tab = std::find(toolkit.log.rbegin(), toolkit.log.rend(),
                                  "focus 20 " + std::to_string(kSecondPage10));
  EXPECT_NE(last_tab, toolkit.log.rend());
}

TEST_F(HeadlessTabsTest, RefusedOrImpossibleSwitchesLeaveThePageShown) {
  toolkit.refuse = true;
  run("dialog 500\npick 20 2\npick 20 3\npick 20 1\ntype 10 z\nesc\n");
  EXPECT_TRUE(has(R"(note "script line 2: pick 20 2: the tab switch was refused; skipped")"));
  EXPECT_TRUE(has(R"(note "script line 3: pick 20 3: the control has 2 tabs; skipped")"));
  EXPECT_TRUE(has("beep"));
  EXPECT_FALSE(has(R"(field 20 "Who")"));
  // Picking the tab already shown asks nothing; typing still reaches page 501.
  EXPECT_EQ(std::count_if(toolkit.log.begin(), toolkit.log.end(),
                          [](const std::string& s) { return s.starts_with("switch"); }),
            1);
  EXPECT_TRUE(logged("changed " + std::to_string(kFirstPage10)));
}

}  // namespace
}  // namespace zarv::platform
