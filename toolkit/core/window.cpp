#include "toolkit/core/window.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "toolkit/core/errors.h"
#include "toolkit/core/event_queue.h"
#include "toolkit/core/menu_resources.h"
#include "toolkit/core/resource_script.h"
#include "toolkit/core/resources.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/core/window_state.h"
#include "toolkit/core/window_units.h"

namespace zarv {
namespace {

constexpr int kStatusPartsMax = 255;

// The colours every window starts with; a full dark component is 191.
constexpr platform::Rgb kColours[16] = {
    {0, 0, 0},       {191, 0, 0},     {191, 191, 0},   {0, 191, 0},
    {0, 191, 191},   {0, 0, 191},     {191, 0, 191},   {191, 191, 191},
    {64, 64, 64},    {255, 0, 0},     {255, 255, 0},   {0, 255, 0},
    {0, 255, 255},   {0, 0, 255},     {255, 0, 255},   {255, 255, 255},
};

// A template is shown inside the window only when it was made to be a child.
bool MeasureDialogClient(int& dialog_id, int& width, int& height) {
  const auto& dialogs = Resources().dialogs;
  const auto it = dialogs.find(dialog_id);
  if (it == dialogs.end()) {
    dialog_id = -1;
    ReportError(1007, "WindowOpen2");
    return false;
  }
  const DialogTemplate& t = it->second;
  if ((t.style & style::kChild) == 0 || (t.style & style::kPopup) != 0) {
    dialog_id = -2;
    ReportError(1045, "WindowOpen2");
    return false;
  }
  const platform::DialogBaseUnits bu =
      ThePlatform().dialog_base_units(t.font_face, t.font_points > 0 ? t.font_points : 8);
  width = t.cx * bu.width / 4;
  height = t.cy * bu.height / 8;
  return true;
}

[[noreturn]] void FailedToCreate() {
  platform::MessageBoxSpec box;
  box.buttons = 0;
  box.icon = 0;
  box.default_button = 0;
  box.title = "Zarvane Window";
  box.text = "Failed to create window - aborting.";
  ThePlatform().message_box(box);
  ExitProcess(0);
}

}  // namespace

RootWindowState& Root() {
  static RootWindowState root;
  return root;
}

platform::Rgb ColourOf(int index) {
  return index >= 0 && index < 16 ? kColours[index] : kColours[15];
}

int ClientWidth() { return Root().client.w; }
int ClientHeight() { return Root().client.h; }

}  // namespace zarv

void WindowOpenStyle(const zarv::WindowStyle& style, const int* colours) {
  // Only the 16-colour table exists; other counts fall back to it.
  const int n = colours && (*colours == 32 || *colours == 64 || *colours == 128) ? *colours : 16;
  WindowOpen2(style.Flags, style.X < 0 ? -1 : style.X, style.Y < 0 ? -1 : style.Y, style.Width,
              style.Height, style.MenuId, {0, 0, 0, 0}, nullptr, style.Title.view(), n);
}

void WindowOpen2(int flags, int x, int y, int width, int height, int menu_id,
                 const std::array<int, 4>& client_options, const int* dialog_id,
                 std::string_view title, int /*colours*/) {
  using namespace zarv;
  platform::Platform& p = ThePlatform();
  RootWindowState& root = Root();
  if (root.open) WindowShutdown();
  ResetEventEnableTable();
  ClearEventState();

  if (dialog_id && *dialog_id > 0) {
    int id = *dialog_id;
    if (MeasureDialogClient(id, width, height)) {
      flags |= kFixedBorder;
      flags &= ~(kMaxButton | kOpenMaximised);
    }
  }
  const platform::Size screen = p.screen_size();
  if (width <= 0) width = std::max(1, screen.w * 4 / 5);
  if (height <= 0) height = std::max(1, screen.h * 4 / 5);

  platform::WindowSpec spec;
  spec.title = std::string(Trimmed(title));
  spec.client = platform::Clamped({width, height});
  spec.x = x < 0 ? -1 : x;
  spec.y = y < 0 ? -1 : y;
  spec.system_menu = (flags & kSysMenu) != 0;
  spec.minimise_box = (flags & kMinButton) != 0;
  spec.maximise_box = (flags & kMaxButton) != 0;
  spec.maximised = (flags & kOpenMaximised) != 0;
  spec.hidden = (flags & kHidden) != 0;
  spec.topmost = (flags & kTopMost) != 0;
  spec.fixed_border = (flags & kFixedBorder) != 0;
  spec.status_bar = (flags & kStatusBar) != 0;
  if (menu_id != 0) {
    const ResourceSet& res = Resources();
    if (const auto m = res.menus.find(menu_id); m != res.menus.end()) {
      const auto table = res.rcdata.find(menu_id);
      spec.menu = BuildMenu(m->second, table != res.rcdata.end() ? table->second : std::string());
    }
  }
  if (const auto icon = Resources().icons.find("icon1"); icon != Resources().icons.end()) {
    spec.icon = icon->second;
  }

  if (!p.open_window(spec, EventSink())) FailedToCreate();

  root = RootWindowState{};
  root.open = true;
  root.status_bar = spec.status_bar;
  root.menu = std::move(spec.menu);
  const platform::Size actual = p.client_size();
  root.client = platform::Clamped(actual.w > 0 && actual.h > 0 ? actual : spec.client);

  for (int side = 1; side <= 4; ++side) {
    if (client_options[static_cast<std::size_t>(side - 1)] != 0) {
      const int window = 0;
      WMenuToolbar(client_options[static_cast<std::size_t>(side - 1)], &window, &side);
    }
  }
  // Whatever the showing asked to repaint is not the application's business.
  ClearEventState();
}

void WindowStatusParts(int count, const int* widths, const int* /*styles*/) {
  using namespace zarv;
  // Border styles are drawn by the backend's own status bar; only the
  // division is ours to decide.
  if (count < 1 || count > kStatusPartsMax || !widths) return;
  RootWindowState& root = Root();
  if (!root.open || !root.status_bar) return;
  std::vector<int> edges;
  std::int64_t total = 0;
  for (int i = 0; i < count; ++i) {
    if (widths[i] == -1) {
      edges.push_back(-1);
      break;
    }
    total += UnitsToPixels(widths[i], root.client.w);
    edges.push_back(static_cast<int>(std::clamp<std::int64_t>(total, -(1 << 30), 1 << 30)));
  }
  ThePlatform().set_status_parts(edges);
}

void WindowStatusText(int part, std::string_view text) {
  using namespace zarv;
  if (part < 1 || part > kStatusPartsMax) return;
  const RootWindowState& root = Root();
  if (!root.open || !root.status_bar) return;
  ThePlatform().set_status_text(part, Trimmed(text));
}

void WindowClearArea(const int* left, const int* top, const int* right, const int* bottom,
                     const int* colour) {
  using namespace zarv;
  const RootWindowState& root = Root();
  if (!root.open) return;
  const platform::Size c = root.client;
  const int l = left ? UnitsToPixels(*left, c.w) : 0;
  const int t = top ? UnitsToPixels(*top, c.h) : 0;
  const int r = right ? UnitsToPixels(*right, c.w) : c.w - 1;
  const int b = bottom ? UnitsToPixels(*bottom, c.h) : c.h - 1;
  const int index = colour && *colour >= 0 && *colour < 16 ? *colour : root.background;
  ThePlatform().fill_rect(l, t, r + 2, b + 2, ColourOf(index));
}

void WindowTextAt(int x, int y, std::string_view text) {
  using namespace zarv;
  RootWindowState& root = Root();
  if (!root.open) return;
  const platform::Size c = root.client;
  const int px = UnitsToPixels(x, c.w);
  const int py = UnitsToPixels(y, c.h);
  const int advance = ThePlatform().draw_text(px, py, text, ColourOf(root.foreground),
                                              ColourOf(root.background));
  root.text_x = PixelsToUnits(px + std::max(0, advance), c.w);
  root.text_y = y;
}

void WindowShutdown() {
  using namespace zarv;
  RootWindowState& root = Root();
  if (root.open && HavePlatform()) ThePlatform().close_window();
  root = RootWindowState{};
  ResetEventEnableTable();
  ClearEventState();
}
