// A platform that does nothing but remember what the services asked of it.
#pragma once

#include <string>
#include <vector>

#include "toolkit/platform/platform.h"

namespace zarv::test {

struct CommandRun {
  std::string command;
  int flags = 0;
  int result = 0;
};

// What a FakePlatform saw; kept by the test, as the toolkit owns the platform.
struct PlatformLog {
  std::vector<std::string> help_shown;
  int help_closed = 0;
  int paint_pumps = 0;
  std::vector<CommandRun> commands;
};

class FakePlatform : public platform::Platform {
 public:
  explicit FakePlatform(PlatformLog& log) : log_(log) {}

  std::string_view name() const override { return "fake"; }
  platform::Size screen_size() override { return {800, 600}; }
  bool open_window(const platform::WindowSpec&, platform::InputSink&) override { return true; }
  void close_window() override {}
  void set_toolbar(const platform::ToolbarSpec&) override {}
  void remove_toolbar(platform::ToolbarSide) override {}
  void set_status_parts(const std::vector<int>&) override {}
  void set_status_text(int, std::string_view) override {}
  platform::Size client_size() override { return {640, 480}; }
  void fill_rect(int, int, int, int, platform::Rgb) override {}
  int draw_text(int, int, std::string_view, platform::Rgb, platform::Rgb) override { return 0; }
  int text_width(std::string_view) override { return 0; }
  void wait_input() override {}
  void pump_paints(int) override { ++log_.paint_pumps; }
  platform::MessageBoxResult message_box(const platform::MessageBoxSpec&) override { return 1; }
  platform::FileDialogAnswer file_dialog(const platform::FileDialogSpec&) override { return {}; }
  platform::DialogBaseUnits dialog_base_units(std::string_view, int) override { return {}; }
  void run_modal_dialog(const platform::DialogSpec&, platform::DialogEvents&) override {}
  void show_modeless_dialog(const platform::DialogSpec&, platform::DialogEvents&) override {}
  void close_modeless_dialog(int) override {}
  void help_show(std::string_view path) override { log_.help_shown.emplace_back(path); }
  void help_close() override { ++log_.help_closed; }
  void beep() override {}
  void command_ran(std::string_view command, int flags, int result) override {
    log_.commands.push_back({std::string(command), flags, result});
  }
  void note(std::string_view) override {}
  void process_exit(int) override {}

 private:
  PlatformLog& log_;
};

}  // namespace zarv::test
