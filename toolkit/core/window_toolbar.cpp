#include <string>

#include "toolkit/core/errors.h"
#include "toolkit/core/event_queue.h"
#include "toolkit/core/menu_resources.h"
#include "toolkit/core/resource_script.h"
#include "toolkit/core/resources.h"
#include "toolkit/core/text.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/core/window.h"
#include "toolkit/core/window_state.h"

namespace zarv {
namespace {

constexpr std::size_t kTooltipLength = 80;

std::string Tooltip(int id) {
  const RootWindowState& root = Root();
  if (const auto own = root.tooltips.find(id); own != root.tooltips.end()) return own->second;
  const auto& strings = Resources().strings;
  if (const auto s = strings.find(id); s != strings.end()) {
    return std::string(Trimmed(std::string_view(s->second).substr(0, kTooltipLength)));
  }
  return {};
}

platform::ToolbarSpec BuildToolbar(int id, platform::ToolbarSide side,
                                   const ToolbarDescription& d) {
  platform::ToolbarSpec spec;
  spec.id = id;
  spec.side = side;
  spec.image = d.image;
  if (const auto bmp = Resources().bitmaps.find(std::to_string(id));
      bmp != Resources().bitmaps.end()) {
    spec.bitmap = bmp->second;
  }
  int image = 0;
  for (const int command : d.entries) {
    platform::ToolbarButton b;
    b.id = command;
    if (command != 0) {
      b.image = image++;
      if (const platform::MenuEntry* item = FindMenuEntry(Root().menu, command)) {
        b.enabled = !item->grayed;
        b.checked = item->checked;
      }
      b.tooltip = Tooltip(command);
    }
    spec.buttons.push_back(std::move(b));
  }
  return spec;
}

}  // namespace

void WindowSetTooltip(int command_id, std::string_view text) {
  Root().tooltips[command_id] = std::string(Trimmed(text.substr(0, std::min(text.size(), kTooltipLength))));
}

}  // namespace zarv

void WMenuToolbar(int toolbar_id, const int* window, const int* position) {
  using namespace zarv;
  const int number = window ? *window : 0;
  RootWindowState& root = Root();
  // Only the root window is ever opened; children 1..20 exist only by number.
  if (number < 0 || number > kMaxWindowNumber || number != 0 || !root.open) {
    ReportError(1003, "WMenuToolbar");
    return;
  }
  const int side_number = position && *position >= 1 && *position <= 4 ? *position : 1;
  const auto side = static_cast<platform::ToolbarSide>(side_number);
  std::optional<int>& slot = root.toolbars[static_cast<std::size_t>(side_number - 1)];
  platform::Platform& p = ThePlatform();

  if (toolbar_id == 0) {
    if (slot) p.remove_toolbar(side);
    slot.reset();
  } else {
    // A missing description leaves the toolbar that is there in place.
    const auto& rcdata = Resources().rcdata;
    const auto bytes = rcdata.find(toolbar_id);
    const std::optional<ToolbarDescription> d =
        bytes == rcdata.end() ? std::nullopt : ParseToolbarDescription(bytes->second);
    if (!d) {
      ReportError(1002, "WMenuToolbar");
      return;
    }
    if (slot) p.remove_toolbar(side);
    p.set_toolbar(BuildToolbar(toolbar_id, side, *d));
    slot = toolbar_id;
  }
  // The frame grows around a toolbar, but a maximised window cannot.
  const platform::Size c = platform::Clamped(p.client_size());
  if (c.w > 0 && c.h > 0) root.client = c;
}
