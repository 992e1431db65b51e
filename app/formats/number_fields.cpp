#include "app/formats/number_fields.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "toolkit/core/fortran_io.h"
#include "toolkit/core/text.h"

namespace nodalux {
namespace {

constexpr int kMaxQuickWidth = 32;
constexpr int kMaxQuickDecimals = 9;
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// "(Fw.d)" of a value that a float holds exactly, written straight into
// `field` (width characters). A float has 24 bits of digits and 10^d, for
// d <= 9, at most 21 bits beyond its power of two, so value * 10^d is exact
// in a double and rounding it to a whole number, ties to even, rounds the
// exact value as the general formatter (and gfortran) does. False where the
// quick way does not apply (not a float, not finite, too large to matter).
bool QuickFixed(double value, int width, int decimals, char* field) {
  if (width < 1 || width > kMaxQuickWidth || decimals < 0 || decimals > kMaxQuickDecimals) return false;
  if (static_cast<double>(static_cast<float>(value)) != value) return false;  // also NaN
  const double magnitude = std::fabs(value);
  if (!(magnitude < 1e9)) return false;  // infinity, or a field of stars anyway
  const auto scaled = static_cast<std::uint64_t>(std::nearbyint(magnitude * kPowersOfTen[decimals]));

  // The digits from the right: the decimals, the point, the whole part
  // (at least its 0).
  char digits[40];
  char* const end = digits + sizeof digits;
  char* p = end;
  std::uint64_t rest = scaled;
  for (int i = 0; i < decimals; ++i, rest /= 10) *--p = static_cast<char>('0' + rest % 10);
  *--p = '.';
  const char* const point = p;
  do {
    *--p = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  // Without room for it, the 0 before the point of a value below one goes.
  const bool negative = std::signbit(value);
  const auto length = [&] { return static_cast<int>(end - p) + (negative ? 1 : 0); };
  if (length() > width && decimals > 0 && point - p == 1 && *p == '0') ++p;
  if (length() > width) {
    std::fill(field, field + width, '*');
    return true;
  }
  char* out = std::fill_n(field, width - length(), ' ');
  if (negative) *out++ = '-';
  std::copy(static_cast<const char*>(p), static_cast<const char*>(end), out);
  return true;
}

}  // namespace

std::string IntegerField(long long value, int width) {
  return zarv::fortran::WriteInteger(value, "(I" + std::to_string(width) + ")")
      .value_or(std::string(static_cast<std::size_t>(width), '*'));
}

std::string FixedField(double value, int width, int decimals) {
  char field[kMaxQuickWidth];
  if (QuickFixed(value, width, decimals, field)) return std::string(field, static_cast<std::size_t>(width));
  const std::string format = "(F" + std::to_string(width) + "." + std::to_string(decimals) + ")";
  return zarv::fortran::WriteReal(value, format, true)
      .value_or(std::string(static_cast<std::size_t>(width), '*'));
}

void AppendFixedField(std::string& out, double value, int width, int decimals, bool trim) {
  char field[kMaxQuickWidth];
  std::string slow;
  std::string_view text;
  if (QuickFixed(value, width, decimals, field)) {
    text = std::string_view(field, static_cast<std::size_t>(width));
  } else {
    slow = FixedField(value, width, decimals);
    text = slow;
  }
  out.append(trim ? zarv::LeftTrimmed(text) : text);
}

}  // namespace nodalux
