// A modeless dialog held by the headless backend: shown and hidden in the
// transcript, acted on by `dialog ID` blocks when the program waits.
#include <gtest/gtest.h>

#include <algorithm>

#include "toolkit/platform/headless/headless_platform.h"

namespace zarv::platform {
namespace {

struct RecordingSink : InputSink {
  void input(const Input& in) override { inputs.push_back(in); }
  std::vector<Input> inputs;
};

// Records the callbacks as words, e.g. "press 3", "focus 0>10".
struct RecordingEvents : DialogEvents {
  void opened(DialogView& v) override { view = &v; }
  bool key_typed(int, char32_t, bool, bool) override { return true; }
  void text_changed(int id) override { calls.push_back("text " + std::to_string(id)); }
  void focus_changing(int from, int to, FocusCause) override {
    calls.push_back("focus " + std::to_string(from) + ">" + std::to_string(to));
  }
  void button_pressed(int id) override { calls.push_back("press " + std::to_string(id)); }
  void enter_pressed(int, bool, bool) override { calls.push_back("enter"); }
  void cancel() override { calls.push_back("cancel"); }
  void selection_changed(int id) override { calls.push_back("select " + std::to_string(id)); }
  void help_requested() override { calls.push_back("help"); }
  bool tab_switching(int, int, int) override { return true; }
  DialogView* view = nullptr;
  std::vector<std::string> calls;
};

DialogSpec FindDialog() {
  DialogSpec spec;
  spec.id = 7;
  ControlSpec edit;
  edit.id = 10;
  edit.kind = ControlKind::kEdit;
  edit.text = "abc";
  edit.tab_stop = true;
  ControlSpec button;
  button.id = 3;
  button.kind = ControlKind::kPushButton;
  spec.controls = {edit, button};
  return spec;
}

TEST(HeadlessModeless, DialogBlocksActOnTheShownDialogBetweenEvents) {
  auto transcript = Transcript::InMemory();
  auto platform = CreateHeadlessPlatform(
      "dialog 7\n"
      "type 10 xy\n"
      "press 3\n"
      "menu 5\n"
      "dialog 8\n"
      "esc\n",
      *transcript);
  RecordingSink sink;
  WindowSpec window;
  window.client = {100, 100};
  window.menu = {{"Five", 5}};
  ASSERT_TRUE(platform->open_window(window, sink));
  RecordingEvents events;
  platform->show_modeless_dialog(FindDialog(), events);
  ASSERT_NE(events.view, nullptr);

  // The block runs and the wait ends without raw input for the window.
  platform->wait_input();
  EXPECT_TRUE(sink.inputs.empty());
  EXPECT_EQ(events.view->text(10), "xy");
  EXPECT_EQ(events.calls, (std::vector<std::string>{"focus 0>10", "text 10", "text 10",
                                                    "focus 10>3", "press 3"}));
  // The next wait takes the event; `dialog 8` names no shown dialog and its
  // action has no dialog to act on: both are noted and skipped.
  platform->wait_input();
  ASSERT_EQ(sink.inputs.size(), 1u);
  EXPECT_EQ(sink.inputs[0].kind, InputKind::kMenuPick);
  platform->close_modeless_dialog(7);
  platform->close_modeless_dialog(7);  // already gone: ignored
  platform->wait_input();
  EXPECT_EQ(sink.inputs.back().kind, InputKind::kCloseAsked);

  const auto& lines = transcript->lines();
  auto has = [&](std::string_view l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
  EXPECT_TRUE(has("dialog 7 show"));
  EXPECT_TRUE(has("field 10 \"abc\""));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "dialog 7 hide"), 1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.starts_with("note \"script line 5"); }),
            1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.starts_with("note \"script line 6"); }),
            1);
}

}  // namespace
}  // namespace zarv::platform
