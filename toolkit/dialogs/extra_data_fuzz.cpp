#include <string_view>

#include "toolkit/core/resource_script.h"
#include "toolkit/dialogs/extra_data.h"

namespace zarv::dialogs {
namespace {

// One control of every kind the reader treats differently, with identifiers
// 1 to 14 so that random digits hit them.
Dialog FuzzDialog() {
  static const struct {
    const char* cls;
    std::uint32_t style;
  } kControls[] = {
      {"BUTTON", style::kBsPushButton},     {"BUTTON", style::kBsAutoCheckBox},
      {"BUTTON", style::kBsRadioButton},    {"STATIC", style::kSsLeft},
      {"EDIT", style::kEsMultiLine},        {"REALEDIT", 0},
      {"INTEGERSPIN", 0},                   {"LISTBOX", style::kLbsNotify},
      {"COMBOBOX", style::kCbsDropDown},    {"COMBOBOX", style::kCbsDropDownList},
      {"MSCTLS_TRACKBAR32", 0x20},          {"MSCTLS_PROGRESS32", 0},
      {"SYSTABCONTROL32", 0},               {"SYSTREEVIEW32", 0},
  };
  Dialog d;
  d.record.identifier = -7;  // never a resource number, so never current
  int id = 1;
  for (const auto& c : kControls) {
    ControlTemplate t;
    t.cls = c.cls;
    t.id = id++;
    t.style = c.style | style::kVisible | style::kChild;
    t.text = "12";
    d.layout.controls.push_back(t);
    d.fields.push_back(MakeField(t));
  }
  return d;
}

}  // namespace

int FuzzExtraData(const std::uint8_t* data, std::size_t size) {
  Dialog d = FuzzDialog();
  ApplyExtraData(d, std::string_view(reinterpret_cast<const char*>(data), size));
  RecordInitialStates(d);
  return 0;
}

}  // namespace zarv::dialogs
