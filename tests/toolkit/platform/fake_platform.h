// The one fake backend of the tests: it records what the toolkit asks of
// it, plays back the input and answers a test queued, and runs modal
// dialogs by calling the toolkit's DialogEvents the way a backend reports a
// user's actions, so that the toolkit's own rules can be checked without
// any real backend.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/core/toolkit.h"
#include "toolkit/platform/platform.h"

namespace zarv::testing {

using namespace zarv::platform;

struct Fill {
  int left, top, right, bottom;
  Rgb colour;
};

struct Drawn {
  int x, y;
  std::string text;
  Rgb fg, bg;
};

struct CommandRun {
  std::string command;
  int flags = 0;
  int result = 0;
};

// A control of a running dialog, as the fake shows it.
struct Control {
  std::string text;
  std::vector<std::string> options;
  int selection = -1;
  int check = 0;
  bool enabled = true;
  bool selected_all = false;
};

class FakeView final : public DialogView {
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
  void select_tab(int id, int index) override { controls[id].selection = index; }
  void end(int button, int focus_field_id) override {
    ended = true;
    exit_button = button;
    focus_field = focus_field_id;
  }
};

// The user, acting on a running dialog.
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
  // Pastes a whole text into the field (no typing filter on the way).
  void paste(int id, std::string_view text) {
    if (!focus(id)) return;
    view_.controls[id].text = std::string(text);
    events_.text_changed(id);
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

// What the user does in one modal dialog.
using Script = std::function<void(User&, FakeView&)>;

class FakePlatform final : public Platform {
 public:
  // --- what tests set up
  Size screen{1280, 1024};
  bool open_fails = false;
  DialogBaseUnits base_units{};
  std::deque<std::vector<Input>> waits;  // input delivered by each wait_input
  std::deque<int> box_answers;           // message box results; none: default button
  std::deque<FileDialogAnswer> file_answers;  // none: cancel
  // Called inside file_dialog before it answers (to check the state then).
  std::function<void(const FileDialogSpec&)> on_file_dialog;
  std::vector<Script> scripts;  // one per modal dialog, in order
  // Death tests: the boxes shown go to standard error when the process ends.
  bool echo_boxes_on_exit = false;

  // --- what the toolkit did
  std::optional<WindowSpec> window;
  bool closed = false;
  InputSink* sink = nullptr;
  Size client{0, 0};
  std::map<int, ToolbarSpec> toolbars;  // by side
  std::vector<ToolbarSide> removed;
  std::vector<int> status_edges;
  std::map<int, std::string> status;
  std::vector<Fill> fills;
  std::vector<Drawn> texts;
  std::vector<MessageBoxSpec> boxes;
  std::vector<FileDialogSpec> file_dialogs;
  std::vector<DialogSpec> shown;  // modal dialogs
  std::vector<FakeView> views;    // the finished modal dialogs
  std::vector<std::string> help_shown;
  int help_closed = 0;
  int paint_pumps = 0;
  std::vector<CommandRun> commands;
  std::vector<std::string> notes;
  int beeps = 0;
  int waits_done = 0;

  // Input arriving right now, as during a modal dialog or a program start.
  void deliver(const Input& in) {
    if (sink) sink->input(in);
  }

  std::string_view name() const override { return "fake"; }
  Size screen_size() override { return screen; }
  bool open_window(const WindowSpec& spec, InputSink& s) override {
    if (open_fails) return false;
    window = spec;
    sink = &s;
    client = spec.client;
    return true;
  }
  void close_window() override { closed = true; }
  void set_toolbar(const ToolbarSpec& spec) override { toolbars[static_cast<int>(spec.side)] = spec; }
  void remove_toolbar(ToolbarSide side) override {
    removed.push_back(side);
    toolbars.erase(static_cast<int>(side));
  }
  void set_status_parts(const std::vector<int>& edges) override { status_edges = edges; }
  void set_status_text(int part, std::string_view text) override { status[part] = std::string(text); }
  Size client_size() override { return client; }
  void fill_rect(int l, int t, int r, int b, Rgb c) override { fills.push_back({l, t, r, b, c}); }
  int draw_text(int x, int y, std::string_view text, Rgb fg, Rgb bg) override {
    texts.push_back({x, y, std::string(text), fg, bg});
    return text_width(text);
  }
  int text_width(std::string_view text) override { return 8 * static_cast<int>(text.size()); }
  void wait_input() override {
    ++waits_done;
    if (waits.empty()) {
      deliver({InputKind::kCloseAsked});
      return;
    }
    const std::vector<Input> batch = waits.front();
    waits.pop_front();
    for (const Input& in : batch) {
      if (in.kind == InputKind::kResize) client = {in.a, in.b};
      deliver(in);
    }
  }
  void pump_paints(int) override { ++paint_pumps; }
  MessageBoxResult message_box(const MessageBoxSpec& spec) override {
    boxes.push_back(spec);
    if (box_answers.empty()) return DefaultResult(spec);
    const int r = box_answers.front();
    box_answers.pop_front();
    return r;
  }
  FileDialogAnswer file_dialog(const FileDialogSpec& spec) override {
    file_dialogs.push_back(spec);
    if (on_file_dialog) on_file_dialog(spec);
    if (file_answers.empty()) return {};
    FileDialogAnswer a = file_answers.front();
    file_answers.pop_front();
    return a;
  }
  DialogBaseUnits dialog_base_units(std::string_view, int) override { return base_units; }

  // The first tab stop has the focus; the script for this dialog acts; a
  // dialog the script did not end is closed by its close box.
  void run_modal_dialog(const DialogSpec& spec, DialogEvents& events) override {
    shown.push_back(spec);
    FakeView view;
    for (const auto& c : spec.controls) view.controls[c.id].text = c.text;
    for (const auto& c : spec.controls) {
      if (c.tab_stop) {
        view.focused = c.id;
        break;
      }
    }
    events.opened(view);
    User user(events, view);
    const std::size_t n = views.size();
    if (n < scripts.size() && scripts[n]) scripts[n](user, view);
    if (!view.ended) events.cancel();
    views.push_back(view);
  }
  void show_modeless_dialog(const DialogSpec&, DialogEvents&) override {}
  void close_modeless_dialog(int) override {}
  void help_show(std::string_view path) override { help_shown.emplace_back(path); }
  void help_close() override { ++help_closed; }
  void beep() override { ++beeps; }
  void command_ran(std::string_view command, int flags, int result) override {
    commands.push_back({std::string(command), flags, result});
  }
  void note(std::string_view text) override { notes.emplace_back(text); }
  void process_exit(int) override {
    if (!echo_boxes_on_exit) return;
    for (const MessageBoxSpec& b : boxes) {
      std::fprintf(stderr, "[%d %d %d %s|%s]", b.buttons, b.icon, b.default_button,
                   b.title.c_str(), b.text.c_str());
    }
  }

  // The result of the button at the default position of a box.
  static int DefaultResult(const MessageBoxSpec& spec) {
    static const std::vector<std::vector<int>> kResults = {
        {1}, {1, 0}, {1, 0}, {1, 2}, {1, 2, 0}, {2, 1, 0}};
    return kResults.at(spec.buttons).at(spec.default_button);
  }
};

// Installs a fresh fake as the toolkit's backend and returns it; it lives
// until another backend takes its place.
inline FakePlatform& InstallFake() {
  auto fake = std::make_unique<FakePlatform>();
  FakePlatform& ref = *fake;
  zarv::SetPlatform(std::move(fake));
  return ref;
}

}  // namespace zarv::testing
