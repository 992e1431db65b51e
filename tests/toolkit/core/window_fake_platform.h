// A backend that records what the toolkit asks of it and plays back input
// and answers a test queued, so that the toolkit's own rules can be checked
// without any real backend.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <map>
#include <memory>
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

class FakePlatform final : public Platform {
 public:
  // --- what tests set up
  Size screen{1280, 1024};
  bool open_fails = false;
  std::deque<std::vector<Input>> waits;  // input delivered by each wait_input
  std::deque<int> box_answers;           // message box results; none: default button
  std::deque<FileDialogAnswer> file_answers;  // none: cancel
  // Called inside file_dialog before it answers (to check the state then).
  std::function<void(const FileDialogSpec&)> on_file_dialog;
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
  void pump_paints(int) override {}
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
  DialogBaseUnits dialog_base_units(std::string_view, int) override { return {}; }
  void run_modal_dialog(const DialogSpec&, DialogEvents&) override {}
  void show_modeless_dialog(const DialogSpec&, DialogEvents&) override {}
  void close_modeless_dialog(int) override {}
  void help_show(std::string_view) override {}
  void help_close() override {}
  void beep() override {}
  void command_ran(std::string_view, int, int) override {}
  void note(std::string_view) override {}
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

// Installs a fresh fake as the toolkit's backend and returns it.
inline FakePlatform& InstallFake() {
  auto fake = std::make_unique<FakePlatform>();
  FakePlatform& ref = *fake;
  zarv::SetPlatform(std::move(fake));
  return ref;
}

}  // namespace zarv::testing
