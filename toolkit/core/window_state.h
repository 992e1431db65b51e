// What the toolkit remembers about the root window while it is open. Shared
// by the files that implement window.h and the event queue.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/platform/platform.h"

namespace zarv {

struct RootWindowState {
  bool open = false;
  bool status_bar = false;
  platform::Size client;  // pixels; scales window units
  std::vector<platform::MenuEntry> menu;
  // The resource identifier of the toolbar on each side (index: side - 1).
  std::array<std::optional<int>, 4> toolbars;
  std::map<int, std::string> tooltips;  // set by the program; beats the string table
  int foreground = 0;   // colour index
  int background = 15;  // colour index
  int text_x = 0, text_y = 0;  // current position, window units
};

RootWindowState& Root();

// The 16-colour table the window starts with.
platform::Rgb ColourOf(int index);

}  // namespace zarv
