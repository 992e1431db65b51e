// The loaded dialogs as the toolkit holds them: one model per loaded dialog
// with a record per field. No widgets exist for a loaded dialog; a modal show
// builds a platform instance from the template, copies the model in and
// copies the user's input back (modal_dialog.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/resource_script.h"

namespace zarv::dialogs {

// What a control is, as far as field routines care.
enum class FieldClass {
  kPushButton,   // push or default push button
  kCheckBox,
  kRadioButton,
  kGroupBox,
  kStatic,
  kEdit,
  kNumeric,      // one of the six numeric edit classes
  kListBox,
  kComboBox,
  kTrackbar,
  kProgress,
  kUpDown,
  kTreeView,
  kTabControl,
  kOther,
};

enum class NumberKind { kNone, kInteger, kReal, kDouble };

struct DialogRecord {
  std::int32_t identifier = 0;
  std::int32_t reserved = 0;
  std::int32_t shown = 0;
  std::int32_t current_field = 0;
  std::int32_t previous_field = 0;
  std::int32_t current_tab = 0;
  std::int32_t previous_tab = 0;
  std::int32_t show_mode = 0;  // 1 modal, 2 modeless, 3 semi-modeless
  std::int32_t parent_window = 0;
  std::int32_t owner_window = 0;
  std::int32_t shortcut_flag = 0;
};

inline constexpr double kNoRangeMinimum = 1000.0;
inline constexpr double kNoRangeMaximum = -1000.0;
inline constexpr int kDefaultLengthLimit = 32767;
inline constexpr int kMultiLineLengthLimit = 65535;

struct FieldRecord {
  double value = 0.0;
  double range_minimum = kNoRangeMinimum;
  double range_maximum = kNoRangeMaximum;
  double small_step = 1.0;
  double large_step = 5.0;
  std::int32_t defined = 0;
  std::int32_t spin_partner = 0;
  std::int32_t text_colour = -1;
  std::int32_t background_colour = -1;
  std::int32_t tab_pressed = 0;
  std::int32_t length_limit = kDefaultLengthLimit;
  std::int32_t initial_state = 1;  // 0 disabled, 1 enabled, 2 read-only, 3 hidden
  std::optional<std::string> format;

  bool has_range() const { return range_minimum <= range_maximum; }
};

struct FontChoice {
  int points = 0;
  std::string face;
  int weight = 400;
  bool italic = false;
};

struct TabItem {
  int page = 0;  // dialog identifier (= resource number) of the tab page
  std::string label;
};

struct Field {
  int id = 0;
  std::string cls;  // upper-case template class
  std::uint32_t style = 0;
  FieldClass kind = FieldClass::kOther;
  NumberKind number = NumberKind::kNone;
  bool spin = false;

  std::string text;
  bool modified = false;  // edit fields: changed by the user since last stored
  std::vector<std::string> options;
  int selection = -1;  // 0-based; -1 none
  int check = 0;

  // Trackbars and progress bars.
  int range_low = 0, range_high = 100, position = 0;
  int tic_frequency = 1, line_size = 1, page_size = 5;
  int selection_start = 0, selection_end = 0;

  std::vector<TabItem> tabs;
  int tab_selection = -1;
  std::optional<FontChoice> font;

  FieldRecord record;

  bool is_edit() const { return kind == FieldClass::kEdit || kind == FieldClass::kNumeric; }
  bool is_menu() const { return kind == FieldClass::kListBox || kind == FieldClass::kComboBox; }
  // 1 single-selection list, 2 drop-down list, 3 other combo, 4 multi-selection list; 0 none.
  int menu_kind() const;
};

struct Dialog {
  DialogRecord record;
  int resource = 0;
  DialogTemplate layout;  // a copy: the model never points into the resources
  std::vector<Field> fields;
  int tab_owner = 0;  // identifier of the dialog whose tab control holds this page

  Field* field(int id);
};

// Classifies a template control and prepares its record and initial value,
// as for a freshly created control.
Field MakeField(const ControlTemplate& control);

// Records each field's initial state (disabled, enabled, read-only, hidden).
void RecordInitialStates(Dialog& dialog);

}  // namespace zarv::dialogs
