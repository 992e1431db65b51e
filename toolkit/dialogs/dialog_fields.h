// Putting values into the fields of the current dialog and reading them
// back; the numeric fields' typing, validation and formatting rules.
#pragma once

#include <string_view>

#include "toolkit/core/text.h"

void WDialogPutString(int field, std::string_view text);
void WDialogPutReal(int field, float value, std::string_view format = {});
void WDialogPutDouble(int field, double value, std::string_view format = {});
void WDialogPutInteger(int field, int value);
void WDialogPutOption(int field, int option);
void WDialogGetReal(int field, float& value);
void WDialogGetInteger(int field, int& value);
void WDialogGetMenu(int field, int& option, zarv::TextSpan* text = nullptr);
void WDialogRangeInteger(int field, const int* minimum = nullptr, const int* maximum = nullptr);

namespace zarv {
inline constexpr float kUndefinedReal = -999.0f;
inline constexpr int kUndefinedInteger = -999;
// Set by the toolkit's start-up.
void SetUndefinedValues(float real_value, int integer_value);
void SetBeep(bool on);
}  // namespace zarv
