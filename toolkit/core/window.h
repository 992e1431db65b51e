// The root window: opening it from a style record, its toolbar and status
// bar, text output in window units (0..9999 across the client area), and the
// event queue the application reads with WEventWait.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "toolkit/core/text.h"

namespace zarv {

enum EventKind : int {
  EvKeyPress = 1,
  EvMenuPick = 2,
  EvDialogCommand = 3,
  EvButtonDown = 4,
  EvButtonUp = 5,
  EvMouseMotion = 6,
  EvRepaint = 7,
  EvResized = 8,
  EvCloseAsked = 9,
  EvFieldFocus = 10,
  EvTabSwitch = 11,
  EvFrameClick = 12,
  EvTimer = 13,
  EvKind14 = 14,
  EvScrollMoved = 15,
  EvButtonDouble = 16,
};

struct EventRecord {
  std::int32_t Window = 0;
  std::int32_t Value1 = -1;
  std::int32_t Value2 = -1;
  std::int32_t Value3 = -1;
  std::int32_t Value4 = -1;
  std::int32_t X = 0;
  std::int32_t Y = 0;
  float GX2 = 0, GY2 = 0;
  float GX = 0, GY = 0;
  std::int32_t Time = 0;
};

struct WindowStyle {
  std::int32_t Flags = 0;
  std::int32_t X = -1;
  std::int32_t Y = -1;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t MenuId = 0;
  Text<80> Title;
};

// Flags of WindowStyle.
inline constexpr int kSysMenu = 1, kMinButton = 2, kMaxButton = 4, kOpenMaximised = 8,
                     kStatusBar = 32, kFixedBorder = 64, kHidden = 128, kTopMost = 512;

}  // namespace zarv

void WindowOpenStyle(const zarv::WindowStyle& style, const int* colours = nullptr);
void WindowOpen2(int flags, int x, int y, int width, int height, int menu_id,
                 const std::array<int, 4>& client_options, const int* dialog_id,
                 std::string_view title, int colours);
void WMenuToolbar(int toolbar_id, const int* window = nullptr, const int* position = nullptr);
void WindowStatusParts(int count, const int* widths, const int* styles = nullptr);
void WindowStatusText(int part, std::string_view text);
void WEventWait(int& kind, zarv::EventRecord& record);
// All arguments optional (nullptr): the whole client area, background colour.
void WindowClearArea(const int* left = nullptr, const int* top = nullptr,
                     const int* right = nullptr, const int* bottom = nullptr,
                     const int* colour = nullptr);
void WindowTextAt(int x, int y, std::string_view text);
void WindowShutdown();

namespace zarv {
// Switches delivery of one event kind on or off (the enable table).
void WindowEventEnable(int kind, bool on);
// The tooltip of a toolbar button, for toolbars attached from now on (the
// table is the open window's); without one the string table entry with the
// command's identifier is shown. At most 80 characters are kept.
void WindowSetTooltip(int command_id, std::string_view text);
// Client size in pixels of the root window, as window units are scaled.
int ClientWidth();
int ClientHeight();
}  // namespace zarv
