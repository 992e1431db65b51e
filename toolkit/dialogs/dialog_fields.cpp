#include "toolkit/dialogs/dialog_fields.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>

#include "toolkit/core/errors.h"
#include "toolkit/dialogs/dialog_table.h"
#include "toolkit/dialogs/modeless_dialog.h"
#include "toolkit/dialogs/numeric_field.h"

using zarv::dialogs::Dialog;
using zarv::dialogs::Field;
using zarv::dialogs::FieldClass;

namespace zarv {
namespace {
struct Settings {
  float undefined_real = kUndefinedReal;
  int undefined_integer = kUndefinedInteger;
  bool beep = true;
};
Settings& S() {
  static Settings s;
  return s;
}
}  // namespace

void SetUndefinedValues(float real_value, int integer_value) {
  S().undefined_real = real_value;
  S().undefined_integer = integer_value;
}
void SetBeep(bool on) { S().beep = on; }

namespace dialogs {
bool BeepEnabled() { return S().beep; }
}  // namespace dialogs
}  // namespace zarv

namespace {

// The field of the current dialog, with 1005 or 1006 reported under `routine`.
Field* FieldOf(int id, std::string_view routine) {
  Dialog* d = zarv::dialogs::CurrentDialog(routine);
  if (!d) return nullptr;
  Field* f = d->field(id);
  if (!f) zarv::ReportError(zarv::dialogs::kInvalidField, routine);
  return f;
}

// Stores a formatted number: the range check first, then text, value,
// defined flag and display format together.
void StoreNumber(int id, double value, const std::string& text,
                 std::optional<std::string> format, std::string_view routine) {
  Dialog* d = zarv::dialogs::CurrentDialog(routine);
  if (!d) return;
  Field* f = d->field(id);
  if (f && f->record.has_range() &&
      (value < f->record.range_minimum || value > f->record.range_maximum ||
       std::isnan(value))) {
    zarv::ReportError(zarv::dialogs::kOutOfRange, routine);
    return;
  }
  if (!f) {
    zarv::ReportError(zarv::dialogs::kInvalidField, routine);
    return;
  }
  f->text = std::string(zarv::Trimmed(text));
  f->record.value = value;
  f->record.defined = f->text.empty() ? 0 : 1;
  f->record.format = std::move(format);
  if (f->is_edit()) f->modified = false;
  zarv::dialogs::RefreshShownField(*d, id);
}

// The field of the current dialog, if any, without reporting anything.
const Field* PeekField(int id) {
  const auto& table = zarv::dialogs::Table();
  if (table.current_id == 0) return nullptr;
  Dialog* d = zarv::dialogs::FindDialog(table.current_id);
  return d ? d->field(id) : nullptr;
}

// The format a real or double put uses: the one given, else the field's own
// (real and double edit fields), else the default.
std::string FormatFor(int id, std::string_view given) {
  given = given.substr(0, std::min(given.find('\0'), given.size()));
  given = given.substr(0, zarv::dialogs::kFormatLength);
  if (!zarv::IsBlank(given)) return std::string(given);
  const Field* f = PeekField(id);
  if (f && f->kind == FieldClass::kNumeric && !f->spin &&
      f->number != zarv::dialogs::NumberKind::kInteger && f->record.format) {
    return *f->record.format;
  }
  return std::string(zarv::dialogs::kDefaultRealFormat);
}

// The value a get reads from a field: the stored one while its text is as
// stored, else the text read afresh. Nothing when the field is blank.
std::optional<double> ValueOf(const Field& f) {
  if (zarv::IsBlank(std::string_view(f.text).substr(0, 254))) return std::nullopt;
  if (f.kind == FieldClass::kNumeric && !f.modified) return f.record.value;
  if (auto v = zarv::dialogs::ReadNumber(f.text, f.number)) return v;
  // A typed text that is no number: the last value the field held.
  return f.kind == FieldClass::kNumeric ? std::optional<double>(f.record.value)
                                        : std::optional<double>(0.0);
}

// A put on a dialog that is shown modeless shows at once.
void RefreshCurrent(int id) {
  const auto& table = zarv::dialogs::Table();
  if (Dialog* d = zarv::dialogs::FindDialog(table.current_id)) {
    zarv::dialogs::RefreshShownField(*d, id);
  }
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

void WDialogPutString(int field, std::string_view text) {
  Field* f = FieldOf(field, "WDialogPutString");
  if (!f) return;
  f->text = std::string(zarv::Trimmed(text));
  f->record.value = zarv::dialogs::ReadNumber(f->text).value_or(0.0);
  f->record.defined = f->text.empty() ? 0 : 1;
  f->record.format.reset();
  if (f->is_edit()) f->modified = false;
  if (f->kind == FieldClass::kComboBox) {
    // The list's selection follows the text: an option only when it is one.
    const auto match = std::find(f->options.begin(), f->options.end(), f->text);
    f->selection = match == f->options.end() ? -1 : static_cast<int>(match - f->options.begin());
  }
  RefreshCurrent(field);
}

void WDialogPutReal(int field, float value, std::string_view format) {
  const std::string fmt = FormatFor(field, format);
  StoreNumber(field, value, zarv::dialogs::FormatReal(value, zarv::Trimmed(fmt)), fmt,
              "WDialogPutReal");
}

void WDialogPutDouble(int field, double value, std::string_view format) {
  const std::string fmt = FormatFor(field, format);
  StoreNumber(field, value, zarv::dialogs::FormatDouble(value, zarv::Trimmed(fmt)), fmt,
              "WDialogPutDouble");
}

void WDialogPutInteger(int field, int value) {
  StoreNumber(field, value, zarv::dialogs::FormatInteger(value), std::nullopt,
              "WDialogPutInteger");
}

void WDialogPutOption(int field, int option) {
  Field* f = FieldOf(field, "WDialogPutOption");
  if (!f) return;
  const int kind = f->menu_kind();
  if (kind < 1 || kind > 3) {
    zarv::ReportError(zarv::dialogs::kInvalidField, "WDialogPutOption");
    return;
  }
  if (option < 1 || option > static_cast<int>(f->options.size())) {
    zarv::ReportError(zarv::dialogs::kBadOption, "WDialogPutOption");
    return;
  }
  f->selection = option - 1;
  if (f->kind == FieldClass::kComboBox) f->text = f->options[static_cast<std::size_t>(option - 1)];
  RefreshCurrent(field);
}

void WDialogGetReal(int field, float& value) {
  const Field* f = FieldOf(field, "WDialogGetReal");
  if (!f) return;
  const std::optional<double> v = ValueOf(*f);
  // A value that no 32-bit float holds (a NaN or a huge double put into the
  // field) is not handed on as an infinity: the field has no real value.
  if (!v || !(std::fabs(*v) <= std::numeric_limits<float>::max())) {
    value = zarv::S().undefined_real;
    zarv::ReportError(zarv::dialogs::kValueUndefined, "WDialogGetReal");
    return;
  }
  value = static_cast<float>(*v);
}

void WDialogGetInteger(int field, int& value) {
  const Field* f = FieldOf(field, "WDialogGetInteger");
  if (!f) return;
  const std::optional<double> v = ValueOf(*f);
  if (!v) {
    value = zarv::S().undefined_integer;
    zarv::ReportError(zarv::dialogs::kValueUndefined, "WDialogGetInteger");
    return;
  }
  value = std::isnan(*v) ? 0
                         : static_cast<int>(std::clamp(std::trunc(*v), -2147483648.0, 2147483647.0));
}

void WDialogGetMenu(int field, int& option, zarv::TextSpan* text) {
  const Field* f = FieldOf(field, "WDialogGetMenu");
  if (!f) return;
  const int kind = f->menu_kind();
  if (kind < 1 || kind > 3) {
    zarv::ReportError(zarv::dialogs::kInvalidField, "WDialogGetMenu");
    return;
  }
  const int count = static_cast<int>(f->options.size());
  const bool selected = f->selection >= 0 && f->selection < count;
  std::string shown;
  if (kind == 1) {
    if (!selected) {
      option = zarv::S().undefined_integer;
      zarv::ReportError(zarv::dialogs::kValueUndefined, "WDialogGetMenu");
      return;
    }
    option = f->selection + 1;
    shown = f->options[static_cast<std::size_t>(f->selection)];
  } else {
    shown = f->text;
    if (selected) {
      option = f->selection + 1;
    } else if (!shown.empty()) {
      option = 0;
      for (int i = 0; i < count; ++i) {
        if (EqualIgnoringCase(f->options[static_cast<std::size_t>(i)], shown)) {
          option = i + 1;
          break;
        }
      }
    } else {
      option = zarv::S().undefined_integer;
      zarv::ReportError(zarv::dialogs::kValueUndefined, "WDialogGetMenu");
    }
  }
  if (text) text->assign(shown);
}

void WDialogRangeInteger(int field, const int* minimum, const int* maximum) {
  Field* f = FieldOf(field, "WDialogRangeInteger");
  if (!f) return;
  if (!minimum && !maximum) {
    f->record.range_minimum = zarv::dialogs::kNoRangeMinimum;
    f->record.range_maximum = zarv::dialogs::kNoRangeMaximum;
  } else {
    f->record.range_minimum = minimum ? *minimum : -2147483647.0;
    f->record.range_maximum = maximum ? *maximum : 2147483647.0;
  }
  RefreshCurrent(field);
}
