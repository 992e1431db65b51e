#include "app/formats/number_fields.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "toolkit/core/fortran_io.h"
#include "toolkit/core/text.h"

namespace nodalux {
namespace {

constexpr int kMaxQuickDecimals = 9;
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr std::uint64_t kWholePowersOfTen[] = {1,      10,      100,      1000,      10000,
                                               100000, 1000000, 10000000, 100000000, 1000000000};

// value / 10^n, for 0 <= n <= 9, by a constant divisor each (a division by
// a divisor known only at run time takes dozens of cycles).
std::uint64_t DivideByPowerOfTen(std::uint64_t value, int n) {
  switch (n) {
    case 0: return value;
    case 1: return value / 10;
    case 2: return value / 100;
    case 3: return value / 1000;
    case 4: return value / 10000;
    case 5: return value / 100000;
    case 6: return value / 1000000;
    case 7: return value / 10000000;
    case 8: return value / 100000000;
    default: return value / 1000000000;
  }
}

// Exactly `count` digits of `value`, the last one just before `end`.
void PutDigits(char* end, std::uint64_t value, int count) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  for (; count >= 2; count -= 2, value /= 100) {
    end -= 2;
    std::memcpy(end, kPairs + 2 * (value % 100), 2);
  }
  if (count == 1) end[-1] = static_cast<char>('0' + value % 10);
}

// "(Fw.d)" of a value that a float holds exactly, written at `out` (without
// its leading blanks when `trim` is set); *end is where it ends. A float has
// 24 bits of digits and 10^d, for d <= 9, at most 21 bits beyond its power
// of two, so value * 10^d is exact in a double, and rounding it to a whole
// number, ties to even, rounds the exact value as the general formatter
// (and gfortran) does. False where the quick way does not apply (not a
// float, not finite, too large to matter).
bool QuickFixed(double value, int width, int decimals, bool trim, char* out, char** end) {
  if (width < 1 || width > kMaxPutWidth || decimals < 0 || decimals > kMaxQuickDecimals) return false;
  if (static_cast<double>(static_cast<float>(value)) != value) return false;  // also NaN
  const double scaled_exactly = std::fabs(value) * kPowersOfTen[decimals];
  constexpr double kWhole = 0x1p52;  // from here on a double holds whole numbers only
  if (!(scaled_exactly < kWhole)) return false;  // infinity, or a field of stars anyway
  // Adding 2^52 rounds to a whole number, ties to even, in the default
  // rounding mode; taking it away again is exact.
  const auto scaled = static_cast<std::uint64_t>((scaled_exactly + kWhole) - kWhole);
  const std::uint64_t whole = DivideByPowerOfTen(scaled, decimals);
  const std::uint64_t fraction = scaled - whole * kWholePowersOfTen[decimals];
  int whole_digits = 1;
  for (std::uint64_t rest = whole; rest >= 10; rest /= 10) ++whole_digits;

  const bool negative = std::signbit(value);
  int length = (negative ? 1 : 0) + whole_digits + 1 + decimals;
  // Without room for it, the 0 before the point of a value below one goes.
  const bool bare_zero = whole == 0 && decimals > 0 && length > width;
  if (bare_zero) --length;
  if (length > width) {
    *end = std::fill_n(out, width, '*');
    return true;
  }
  char* p = trim ? out : std::fill_n(out, width - length, ' ');
  if (negative) *p++ = '-';
  if (!bare_zero) {
    p += whole_digits;
    PutDigits(p, whole, whole_digits);
  }
  *p++ = '.';
  p += decimals;
  PutDigits(p, fraction, decimals);
  *end = p;
  return true;
}

}  // namespace

std::string IntegerField(long long value, int width) {
  return zarv::fortran::WriteInteger(value, "(I" + std::to_string(width) + ")")
      .value_or(std::string(static_cast<std::size_t>(width), '*'));
}

std::string FixedField(double value, int width, int decimals) {
  char field[kMaxPutWidth];
  char* end = nullptr;
  if (QuickFixed(value, width, decimals, false, field, &end)) return std::string(field, end);
  const std::string format = "(F" + std::to_string(width) + "." + std::to_string(decimals) + ")";
  return zarv::fortran::WriteReal(value, format, true)
      .value_or(std::string(static_cast<std::size_t>(width), '*'));
}

char* PutFixedField(char* out, double value, int width, int decimals, bool trim) {
  char* end = nullptr;
  if (QuickFixed(value, width, decimals, trim, out, &end)) return end;
  const std::string field = FixedField(value, width, decimals);
  const std::string_view text = trim ? zarv::LeftTrimmed(field) : std::string_view(field);
  return std::copy(text.begin(), text.end(), out);
}

}  // namespace nodalux
