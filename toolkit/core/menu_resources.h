// The two binary resources that go with a window's menu and toolbar, both
// sequences of 16-bit little-endian words.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "toolkit/core/resource_script.h"
#include "toolkit/platform/platform.h"

namespace zarv {

// The menu as the backend shows it, with the menu item identifier table
// applied: records of an identifier, a path of 1-based positions from the
// menu bar down, and a 0 word; a 0 word ends the table. Records whose path
// leads nowhere are skipped.
std::vector<platform::MenuEntry> BuildMenu(const MenuNode& bar, std::string_view id_table);

// The menu entry with this identifier, if any (pop-ups included).
const platform::MenuEntry* FindMenuEntry(const std::vector<platform::MenuEntry>& menu, int id);

// A toolbar description: image width and height, then one command
// identifier per entry (0: separator), up to the first two 0 words.
struct ToolbarDescription {
  platform::Size image;
  std::vector<int> entries;
};
// Nothing when the words are too few or an image size is 0.
std::optional<ToolbarDescription> ParseToolbarDescription(std::string_view bytes);

}  // namespace zarv
