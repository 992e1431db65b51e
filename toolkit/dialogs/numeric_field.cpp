#include "toolkit/dialogs/numeric_field.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "toolkit/core/conversions.h"
#include "toolkit/core/text.h"

namespace zarv::dialogs {
namespace {

constexpr char32_t kCtrlA = 1, kCtrlC = 3, kBackspace = 8, kTab = 9, kLineFeed = 10,
                   kEnter = 13, kCtrlV = 22, kCtrlX = 24, kCtrlZ = 26, kEsc = 27;

template <std::size_t N>
std::string LeftJustified(const Text<N>& text) {
  return std::string(LeftTrimmed(text.trimmed()));
}

}  // namespace

std::optional<double> ReadNumber(std::string_view text, NumberKind number) {
  double value = 0.0;
  if (ParseRealText(text, number == NumberKind::kReal, value) != 0) return std::nullopt;
  return value;
}

Keystroke FilterKey(NumberKind number, char32_t ch) {
  switch (ch) {
    case kCtrlA: case kCtrlC: case kBackspace: case kTab: case kLineFeed: case kEnter:
    case kCtrlV: case kCtrlX: case kCtrlZ: case kEsc:
      return Keystroke::kPass;
    default:
      break;
  }
  if ((ch >= '0' && ch <= '9') || ch == '+' || ch == '-') return Keystroke::kAccept;
  if (number != NumberKind::kInteger && (ch == '.' || ch == 'E' || ch == 'e')) {
    return Keystroke::kAccept;
  }
  return Keystroke::kDrop;
}

bool TextIsValid(const FieldRecord& record, std::string_view text, NumberKind number) {
  if (IsBlank(text)) return record.defined == 0 || !record.has_range();
  const std::optional<double> v = ReadNumber(text, number);
  if (!v) return false;
  return !record.has_range() || (*v >= record.range_minimum && *v <= record.range_maximum);
}

bool OutOfRange(const FieldRecord& record, std::string_view text, NumberKind number) {
  const std::optional<double> v = ReadNumber(text, number);
  return v && record.has_range() && (*v < record.range_minimum || *v > record.range_maximum);
}

std::string FormatReal(float value, std::string_view format) {
  Text<100> text;
  IRealToString(value, text, format);
  return LeftJustified(text);
}

std::string FormatDouble(double value, std::string_view format) {
  Text<100> text;
  IDoubleToString(value, text, format);
  return LeftJustified(text);
}

std::string FormatInteger(int value) {
  Text<100> text;
  IntegerToString(value, text, kIntegerFormat);
  return LeftJustified(text);
}

std::string DisplayText(const Field& field, double value) {
  const std::string_view format =
      field.record.format ? Trimmed(*field.record.format) : kDefaultRealFormat;
  switch (field.number) {
    case NumberKind::kInteger:
      if (std::isnan(value)) value = 0.0;
      return FormatInteger(static_cast<int>(std::clamp(value, -2147483648.0, 2147483647.0)));
    case NumberKind::kDouble:
      return FormatDouble(value, format);
    default:
      return FormatReal(static_cast<float>(value), format);
  }
}

}  // namespace zarv::dialogs
