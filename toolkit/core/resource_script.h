// The program's resources: menus, dialog templates, string table, raw data
// and bitmaps, described in a resource script ("*.rc", the usual resource
// compiler syntax, a subset) and parsed at start-up.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarv {

struct MenuNode {
  std::string text;
  int id = 0;
  bool popup = false;
  bool separator = false;
  bool grayed = false;
  bool checked = false;
  std::vector<MenuNode> items;
};

struct ControlTemplate {
  std::string cls;  // "BUTTON", "STATIC", "EDIT", "COMBOBOX", "LISTBOX", "REALEDIT", ...
  std::string text;
  int id = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  std::uint32_t style = 0;
  std::uint32_t exstyle = 0;
};

struct DialogTemplate {
  int id = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  std::uint32_t style = 0;
  std::uint32_t exstyle = 0;
  std::string caption;
  int font_points = 0;
  std::string font_face;
  std::vector<ControlTemplate> controls;
};

struct ResourceSet {
  std::map<int, MenuNode> menus;             // the menu bar: a node whose items are the pop-ups
  std::map<int, DialogTemplate> dialogs;
  std::map<int, std::string> strings;        // string table
  std::map<int, std::string> rcdata;         // raw data (type 10)
  std::map<std::string, std::string> bitmaps;  // by number written in decimal, or by name
  std::map<std::string, std::string> icons;
};

struct ResourceScriptResult {
  std::optional<ResourceSet> resources;
  std::string error;  // "line N: what is wrong" when resources is empty
};

// Files named in the script (bitmaps, icons, raw data files) are fetched
// through `file`; a missing one is an error naming it.
using ResourceFileLookup = std::function<std::optional<std::string>(std::string_view name)>;

ResourceScriptResult ParseResourceScript(std::string_view script, const ResourceFileLookup& file);

// Window style bits used in dialog templates, under their usual names.
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000u, kChild = 0x40000000u,
                               kVisible = 0x10000000u, kDisabled = 0x08000000u,
                               kCaption = 0x00C00000u, kBorder = 0x00800000u,
                               kSysMenu = 0x00080000u, kVScroll = 0x00200000u,
                               kHScroll = 0x00100000u, kGroup = 0x00020000u,
                               kTabStop = 0x00010000u;
inline constexpr std::uint32_t kDsModalFrame = 0x80, kDsSetFont = 0x40, kDsCenter = 0x800;
inline constexpr std::uint32_t kSsLeft = 0, kSsCenter = 1, kSsRight = 2, kSsIcon = 3,
                               kSsBitmap = 0xE, kSsTypeMask = 0x1F, kSsSunken = 0x1000;
inline constexpr std::uint32_t kBsPushButton = 0, kBsDefPushButton = 1, kBsCheckBox = 2,
                               kBsAutoCheckBox = 3, kBsRadioButton = 4, kBs3State = 5,
                               kBsAuto3State = 6, kBsGroupBox = 7, kBsAutoRadioButton = 9,
                               kBsTypeMask = 0xF, kBsIcon = 0x40, kBsBitmap = 0x80;
inline constexpr std::uint32_t kEsLeft = 0, kEsCenter = 1, kEsRight = 2, kEsMultiLine = 4,
                               kEsAutoHScroll = 0x80, kEsReadOnly = 0x800;
inline constexpr std::uint32_t kCbsSimple = 1, kCbsDropDown = 2, kCbsDropDownList = 3,
                               kCbsTypeMask = 3, kCbsAutoHScroll = 0x40;
inline constexpr std::uint32_t kLbsNotify = 1, kLbsMultipleSel = 8, kLbsExtendedSel = 0x800;
inline constexpr std::uint32_t kExNoParentNotify = 4, kExClientEdge = 0x200,
                               kExStaticEdge = 0x20000;
}  // namespace style

}  // namespace zarv
