// A platform for dialog tests: runs a modal dialog by calling the toolkit's
// DialogEvents directly, the way a backend reports a user's actions, and
// keeps what the dialog showed.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/platform/platform.h"

namespace dialog_tests {

using zarv::platform::DialogEvents;
using zarv::platform::FocusCause;

struct Control {
  std::string text;
  std::vector<std::string> options;
  int selection = -1;
  int check = 0;
  bool enabled = true;
  bool selected_all = false;
};

class FakeView final : public zarv::platform::DialogView {
 public:
  std::map<int, Control> controls;
  int focused = 0;
  bool focus_set = false;
  int beeps = 0;
  bool ended = false;
  int exit_button = 0, focus_field = 0;

  std::string text(int id) override { return controls[id].text; }
  void set_text(int id, std::string_view t) override { controls[id].text = std::string(t); }
  std::vector<std::string> options(int id) override { return controls[id].options; }
  void set_options(int id, const std::vector<std::string>& o) override { controls[id].options = o; }
  int selection(int id) override { return controls[id].selection; }
  void set_selection(int id, int index) override {
    Control& c = controls[id];
    c.selection = index;
    if (index >= 0 && index < static_cast<int>(c.options.size())) c.text = c.options[index];
  }
  int check(int id) override { return controls[id].check; }
  void set_check(int id, int state) override { controls[id].check = state; }
  int focus() override { return focused; }
  void set_focus(int id) override {
    focused = id;
    focus_set = true;
  }
  void select_all(int id) override { controls[id].selected_all = true; }
  void set_enabled(int id, bool on) override { controls[id].enabled = on; }
  void beep() override { ++beeps; }
  void select_tab(int, int) override {}
  void end(int button, int focus_field_id) override {
    ended = true;
    exit_button = button;
    focus_field = focus_field_id;
  }
};

// The user, acting on the running dialog.
class User {
 public:
  User(DialogEvents& events, FakeView& view) : events_(events), view_(view) {}

  // Moves the focus like a click (or the Tab key); false when refused.
  bool focus(int id, FocusCause cause = FocusCause::kClick) {
    const int from = view_.focused;
    view_.focus_set = false;
    events_.focus_changing(from, id, cause);
    if (view_.focus_set) return view_.focused == id;
    view_.focused = id;
    return true;
  }
  void type(int id, std::string_view text) {
    if (!focus(id)) return;
    view_.controls[id].text.clear();
    events_.text_changed(id);
    for (char c : text) {
      if (events_.key_typed(id, static_cast<unsigned char>(c), false, false)) {
        view_.controls[id].text += c;
        events_.text_changed(id);
      }
    }
  }
  void press(int id) {
    focus(id);
    events_.button_pressed(id);
  }
  void enter() { events_.enter_pressed(view_.focused, false, false); }
  void esc() { events_.cancel(); }
  void pick(int id, int option) {
    focus(id);
    view_.set_selection(id, option - 1);
    events_.selection_changed(id);
  }

 private:
  DialogEvents& events_;
  FakeView& view_;
};

using Script = std::function<void(User&, FakeView&)>;

class FakePlatform final : public zarv::platform::Platform {
 public:
  std::vector<Script> scripts;  // one per modal dialog, in order
  std::vector<zarv::platform::DialogSpec> shown;
  std::vector<FakeView> views;  // the finished dialogs
  std::map<int, std::string> status;
  std::vector<std::string> notes;
  int beeps = 0;

  std::string_view name() const override { return "fake"; }
  zarv::platform::Size screen_size() override { return {1024, 768}; }
  bool open_window(const zarv::platform::WindowSpec&, zarv::platform::InputSink&) override { return true; }
  void close_window() override {}
  void set_toolbar(const zarv::platform::ToolbarSpec&) override {}
  void remove_toolbar(zarv::platform::ToolbarSide) override {}
  void set_status_parts(const std::vector<int>&) override {}
  void set_status_text(int part, std::string_view text) override { status[part] = std::string(text); }
  zarv::platform::Size client_size() override { return {800, 600}; }
  void fill_rect(int, int, int, int, zarv::platform::Rgb) override {}
  int draw_text(int, int, std::string_view, zarv::platform::Rgb, zarv::platform::Rgb) override { return 0; }
  int text_width(std::string_view) override { return 0; }
  void wait_input() override {}
  void pump_paints(int) override {}
  zarv::platform::MessageBoxResult message_box(const zarv::platform::MessageBoxSpec&) override { return 1; }
  zarv::platform::FileDialogAnswer file_dialog(const zarv::platform::FileDialogSpec&) override { return {}; }
  zarv::platform::DialogBaseUnits dialog_base_units(std::string_view, int) override { return {6, 13}; }

  void run_modal_dialog(const zarv::platform::DialogSpec& spec, DialogEvents& events) override {
    shown.push_back(spec);
    FakeView view;
    for (const auto& c : spec.controls) view.controls[c.id].text = c.text;
    for (const auto& c : spec.controls) {  // the first tab stop has the focus
      if (c.tab_stop) {
        view.focused = c.id;
        break;
      }
    }
    events.opened(view);
    User user(events, view);
    const std::size_t n = views.size();
    if (n < scripts.size() && scripts[n]) scripts[n](user, view);
    if (!view.ended) events.cancel();  // the close box
    views.push_back(view);
  }

  void show_modeless_dialog(const zarv::platform::DialogSpec&, DialogEvents&) override {}
  void close_modeless_dialog(int) override {}

  void help_show(std::string_view) override {}
  void help_close() override {}
  void beep() override { ++beeps; }
  void command_ran(std::string_view, int, int) override {}
  void note(std::string_view text) override { notes.emplace_back(text); }
  void process_exit(int) override {}
};

}  // namespace dialog_tests
