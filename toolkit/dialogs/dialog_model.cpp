#include "toolkit/dialogs/dialog_model.h"

#include <algorithm>
#include <cctype>

#include "toolkit/core/text.h"
#include "toolkit/dialogs/numeric_field.h"

namespace zarv::dialogs {
namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

struct NumericClass {
  const char* name;
  NumberKind number;
  bool spin;
};
constexpr NumericClass kNumericClasses[] = {
    {"INTEGEREDIT", NumberKind::kInteger, false}, {"INTEGERSPIN", NumberKind::kInteger, true},
    {"REALEDIT", NumberKind::kReal, false},       {"REALSPIN", NumberKind::kReal, true},
    {"DOUBLEEDIT", NumberKind::kDouble, false},   {"DOUBLESPIN", NumberKind::kDouble, true},
};

FieldClass ButtonClass(std::uint32_t style) {
  switch (style & style::kBsTypeMask) {
    case style::kBsPushButton:
    case style::kBsDefPushButton:
      return FieldClass::kPushButton;
    case style::kBsCheckBox:
    case style::kBsAutoCheckBox:
    case style::kBs3State:
    case style::kBsAuto3State:
      return FieldClass::kCheckBox;
    case style::kBsRadioButton:
    case style::kBsAutoRadioButton:
      return FieldClass::kRadioButton;
    case style::kBsGroupBox:
      return FieldClass::kGroupBox;
    default:
      return FieldClass::kOther;
  }
}

FieldClass ClassOf(const std::string& cls, std::uint32_t control_style) {
  if (cls == "BUTTON") return ButtonClass(control_style);
  if (cls == "STATIC") return FieldClass::kStatic;
  if (cls == "EDIT") return FieldClass::kEdit;
  if (cls == "LISTBOX") return FieldClass::kListBox;
  if (cls == "COMBOBOX") return FieldClass::kComboBox;
  if (cls == "MSCTLS_TRACKBAR32") return FieldClass::kTrackbar;
  if (cls == "MSCTLS_PROGRESS32") return FieldClass::kProgress;
  if (cls == "MSCTLS_UPDOWN32") return FieldClass::kUpDown;
  if (cls == "SYSTREEVIEW32") return FieldClass::kTreeView;
  if (cls == "SYSTABCONTROL32") return FieldClass::kTabControl;
  return FieldClass::kOther;
}

}  // namespace

int Field::menu_kind() const {
  if (kind == FieldClass::kListBox) {
    return (style & (style::kLbsMultipleSel | style::kLbsExtendedSel)) ? 4 : 1;
  }
  if (kind == FieldClass::kComboBox) {
    return (style & style::kCbsTypeMask) == style::kCbsDropDownList ? 2 : 3;
  }
  return 0;
}

Field* Dialog::field(int id) {
  for (Field& f : fields) {
    if (f.id == id && f.kind != FieldClass::kUpDown) return &f;
  }
  return nullptr;
}

Field MakeField(const ControlTemplate& control) {
  Field f;
  f.id = control.id;
  f.cls = Upper(control.cls);
  f.style = control.style;
  f.text = control.text;
  for (const NumericClass& n : kNumericClasses) {
    if (f.cls == n.name) {
      f.kind = FieldClass::kNumeric;
      f.number = n.number;
      f.spin = n.spin;
    }
  }
  if (f.kind != FieldClass::kNumeric) f.kind = ClassOf(f.cls, control.style);

  // Check boxes and radio buttons toggle themselves, whatever their template
  // style asked for.
  if (f.kind == FieldClass::kCheckBox) {
    f.style = (f.style & ~style::kBsTypeMask) | style::kBsAutoCheckBox;
  } else if (f.kind == FieldClass::kRadioButton) {
    f.style = (f.style & ~style::kBsTypeMask) | style::kBsAutoRadioButton;
  }
  if (f.kind == FieldClass::kEdit && (control.style & style::kEsMultiLine)) {
    f.record.length_limit = kMultiLineLengthLimit;
  }
  if (f.kind == FieldClass::kNumeric) {
    if (auto v = ReadNumber(f.text, f.number)) f.record.value = *v;
    f.record.defined = zarv::IsBlank(f.text) ? 0 : 1;
  }
  return f;
}

void RecordInitialStates(Dialog& dialog) {
  for (Field& f : dialog.fields) {
    if (!(f.style & style::kVisible)) {
      f.record.initial_state = 3;
    } else if (f.style & style::kDisabled) {
      f.record.initial_state = 0;
    } else if (f.is_edit() && (f.style & style::kEsReadOnly)) {
      f.record.initial_state = 2;
    } else {
      f.record.initial_state = 1;
    }
  }
}

}  // namespace zarv::dialogs
