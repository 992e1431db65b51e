// Stand-ins for the application and toolkit routines the OV2 routines call,
// recording what they were asked to do. Tests drive READ_OV2 and WRITE_OV2
// through these without a window or a child process.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ov2test {

struct ShownBox {
  int buttons, icon, default_button;
  std::string text, title;
};

struct FakeApp {
  std::vector<ShownBox> boxes;
  std::vector<std::string> list_lines;
  std::vector<std::string> commands;
  std::vector<std::string> deleted;
  std::string undeletable;  // IOsDeleteFile leaves this file in place
  int command_flags = -1;
  int info_status_reads = 0;
  // Runs in place of the converter process; returns IOsCommand's status.
  std::function<int(const std::string& command)> run_program;
  int last_command_status = 0;
};

// Resets the fake and the application's tables.
FakeApp& ResetFakeApp();
FakeApp& Fake();

}  // namespace ov2test
