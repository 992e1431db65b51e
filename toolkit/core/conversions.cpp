// Number to text through a format, and the small text helpers.
#include "toolkit/core/conversions.h"

#include <algorithm>
#include <optional>
#include <string>

#include "toolkit/core/conversion_locale.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/fortran_io.h"

namespace zarv::conversion {
namespace {
std::optional<char>& LocaleDecimalSetting() {
  static std::optional<char> separator;
  return separator;
}
}  // namespace

std::optional<char> LocaleDecimal() { return LocaleDecimalSetting(); }

}  // namespace zarv::conversion

namespace zarv {
void SetLocaleDecimal(bool on, char separator) {
  conversion::LocaleDecimalSetting() = on ? std::optional<char>(separator) : std::nullopt;
}
}  // namespace zarv

namespace {

constexpr std::string_view kOverflowText = "**********";
constexpr int kConversionError = 18;

// Puts a formatted number into the text. A write that failed, that filled
// the field with asterisks, or that does not fit the text leaves the
// overflow text and error 18 instead.
void PutFormatted(const std::optional<std::string>& written, zarv::TextSpan text,
                  std::string_view format, std::string_view routine, bool decimal_number) {
  const bool overflowed = !written || written->size() > text.size() ||
                          (written->find('*') != std::string::npos &&
                           format.find('*') == std::string_view::npos);
  if (overflowed) {
    text.assign(kOverflowText);
    zarv::ReportError(kConversionError, routine);
    return;
  }
  std::string shown = *written;
  if (const auto separator = zarv::conversion::LocaleDecimal(); decimal_number && separator)
    std::replace(shown.begin(), shown.end(), '.', *separator);
  text.assign(shown);
}

}  // namespace

void IntegerToString(int value, zarv::TextSpan text, std::string_view format) {
  PutFormatted(zarv::fortran::WriteInteger(value, format), text, format, "IntegerToString", false);
}

void IRealToString(float value, zarv::TextSpan text, std::string_view format) {
  PutFormatted(zarv::fortran::WriteReal(value, format, true), text, format, "IRealToString", true);
}

void IDoubleToString(double value, zarv::TextSpan text, std::string_view format) {
  PutFormatted(zarv::fortran::WriteReal(value, format), text, format, "IDoubleToString", true);
}

void StringLower(zarv::TextSpan text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
}

void StringUpper(zarv::TextSpan text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
}

// Moves the non-blank part of the text as one block: to the left ("L"), to
// the right ("R"), or to the middle for any other mode, where an odd blank
// goes to the right.
void StringJustify(zarv::TextSpan text, char mode) {
  const std::string_view all = text.view();
  const std::size_t first = all.find_first_not_of(' ');
  if (first == std::string_view::npos) return;
  const std::size_t last = all.find_last_not_of(' ');
  const std::string block(all.substr(first, last - first + 1));
  const std::size_t free = text.size() - block.size();
  std::size_t start = free / 2;
  if (mode == 'L' || mode == 'l') start = 0;
  if (mode == 'R' || mode == 'r') start = free;
  text.clear();
  std::copy(block.begin(), block.end(), text.data() + start);
}
