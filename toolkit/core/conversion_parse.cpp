// Text to number with the toolkit's own rules: only the first blank-delimited
// word is read; failures are reported (codes 4, 10, 11, 12) and give 0.
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "toolkit/core/conversion_locale.h"
#include "toolkit/core/conversions.h"
#include "toolkit/core/errors.h"

namespace {

constexpr int kTooLarge = 4;
constexpr int kNoSubstring = 10;
constexpr int kSecondDecimal = 11;
constexpr int kInvalidCharacter = 12;

// The run of characters from the first non-blank up to the next blank.
std::string_view FirstWord(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  const std::size_t end = text.find(' ', start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDecimal(char c) {
  const auto separator = zarv::conversion::LocaleDecimal();
  return c == '.' || (separator && c == *separator);
}

// Where the exponent starts: the first of E, e, D, d present in the word;
// else a "+" (or else a "-") past the first character with exactly three
// characters after it, the form "1.5-100" that three-digit exponents take
// in fixed-width output.
struct Marker {
  std::size_t at = std::string_view::npos;
  bool is_sign = false;
};

Marker FindMarker(std::string_view word) {
  for (char letter : {'E', 'e', 'D', 'd'})
    if (const std::size_t at = word.find(letter); at != std::string_view::npos) return {at, false};
  for (char sign : {'+', '-'}) {
    // Searching from the second character lets a negative number keep its
    // sign: "-1.5-100" has its marker at the second "-".
    const std::size_t at = word.find(sign, 1);
    if (at != std::string_view::npos && word.size() - at - 1 == 3) return {at, true};
  }
  return {};
}

// A mantissa or exponent split into sign, digits and decimal position;
// zero on success, else the error code.
struct Number {
  bool negative = false;
  std::string integer;   // digits before the decimal character
  std::string fraction;  // digits after it
};

int ParsePart(std::string_view part, bool allow_decimal, Number& out) {
  std::size_t i = 0;
  if (i < part.size() && (part[i] == '+' || part[i] == '-')) out.negative = part[i++] == '-';
  bool seen_decimal = false;
  for (; i < part.size(); ++i) {
    const char c = part[i];
    if (IsDigit(c)) {
      (seen_decimal ? out.fraction : out.integer).push_back(c);
    } else if (IsDecimal(c)) {
      if (!allow_decimal) return kInvalidCharacter;
      if (seen_decimal) return kSecondDecimal;
      seen_decimal = true;
    } else {
      return kInvalidCharacter;
    }
  }
  // A word with no digit at all (a lone sign or point) is not a number.
  if (out.integer.empty() && out.fraction.empty()) return kInvalidCharacter;
  return 0;
}

std::string WithoutLeadingZeros(const std::string& digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? std::string() : digits.substr(first);
}

// Reads the first word as a real whose decimal exponent may not pass
// `limit`: its double value, and in `normal` the same number in C syntax so
// that a float can be rounded from the digits themselves.
int ParseReal(std::string_view text, int limit, double& value, std::string& normal) {
  value = 0.0;
  normal.clear();
  const std::string_view word = FirstWord(text);
  if (word.empty()) return kNoSubstring;

  const Marker marker = FindMarker(word);
  Number mantissa;
  if (int e = ParsePart(word.substr(0, marker.at), true, mantissa)) return e;
  Number exponent;
  bool has_exponent = false;
  if (marker.at != std::string_view::npos) {
    has_exponent = true;
    const std::size_t start = marker.is_sign ? marker.at : marker.at + 1;
    if (int e = ParsePart(word.substr(start), false, exponent)) return e;
  }

  const std::string integer = WithoutLeadingZeros(mantissa.integer);
  if (static_cast<int>(integer.size()) > limit + 1) return kTooLarge;
  // The decimal order of the first significant digit.
  int order = 0;
  if (!integer.empty()) {
    order = static_cast<int>(integer.size()) - 1;
  } else {
    const std::size_t first = mantissa.fraction.find_first_not_of('0');
    if (first == std::string::npos) return 0;  // a zero mantissa is 0, exponent or not
    order = -static_cast<int>(first) - 1;
  }
  long long power = 0;
  if (has_exponent) {
    for (char c : exponent.integer) power = std::min(power * 10 + (c - '0'), 1000000LL);
    if (exponent.negative) power = -power;
  }
  if (order + power > limit) return kTooLarge;

  if (mantissa.negative) normal.push_back('-');
  normal.append(mantissa.integer).append(".").append(mantissa.fraction);
  normal.append("e").append(std::to_string(power));
  value = strtod_l(normal.c_str(), nullptr, zarv::conversion::CLocale());
  if (!std::isfinite(value)) {
    value = 0.0;
    return kTooLarge;
  }
  if (value == 0.0) value = 0.0;  // no negative zero from "-0"
  return 0;
}

}  // namespace

void IStringToInteger(std::string_view text, int& value) {
  value = 0;
  const std::string_view word = FirstWord(text);
  if (word.empty()) return zarv::ReportError(kNoSubstring, "IStringToInteger");
  const bool negative = word[0] == '-';
  const std::string_view digits = (word[0] == '-' || word[0] == '+') ? word.substr(1) : word;
  if (digits.empty()) return zarv::ReportError(kInvalidCharacter, "IStringToInteger");
  for (char c : digits)
    if (!IsDigit(c)) return zarv::ReportError(kInvalidCharacter, "IStringToInteger");
  const std::string significant = WithoutLeadingZeros(std::string(digits));
  if (significant.size() > 10 || (significant.size() == 10 && significant[0] >= '3'))
    return zarv::ReportError(kTooLarge, "IStringToInteger");
  long long sum = 0;
  for (char c : significant) {
    sum = sum * 10 + (c - '0');
    if (sum > 2147483647LL) return zarv::ReportError(kTooLarge, "IStringToInteger");
  }
  value = static_cast<int>(negative ? -sum : sum);
}

int zarv::ParseRealText(std::string_view text, bool single, double& value) {
  std::string normal;
  int error = ParseReal(text, single ? 38 : 308, value, normal);
  if (error == 0 && single && std::fabs(value) > 3.4028235e38) error = kTooLarge;
  if (error != 0) value = 0.0;
  return error;
}

void IStringToReal(std::string_view text, float& value) {
  value = 0.0f;
  double wide = 0.0;
  std::string normal;
  int error = ParseReal(text, 38, wide, normal);
  if (error == 0 && std::fabs(wide) > 3.4028235e38) error = kTooLarge;
  if (error != 0) return zarv::ReportError(error, "IStringToReal");
  // Rounded once, from the decimal digits, not a second time from the double.
  value = wide == 0.0 ? 0.0f : strtof_l(normal.c_str(), nullptr, zarv::conversion::CLocale());
}

void IStringToReal8(std::string_view text, double& value) {
  double result = 0.0;
  std::string normal;
  const int error = ParseReal(text, 308, result, normal);
  value = error == 0 ? result : 0.0;
  if (error != 0) zarv::ReportError(error, "IStringToReal");
}
