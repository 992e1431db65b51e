// Formatted output of one number with one edit descriptor, digit for digit
// as gfortran writes it. Decimal digits come from the C library's printf,
// which rounds the exact binary value to nearest with ties to even: the same
// rounding gfortran uses by default, so no digit is ever rounded twice.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "toolkit/core/fortran_edit.h"
#include "toolkit/core/fortran_io.h"

namespace zarv::fortran {
namespace {

std::string Stars(int width) { return std::string(static_cast<std::size_t>(width), '*'); }

std::string RightAligned(const std::string& s, int width) {
  if (width == 0) return s;
  if (static_cast<int>(s.size()) > width) return Stars(width);
  return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

// A non-negative finite value rounded to `significant` digits, read as
// 0.DDDD x 10^exponent (the Fortran E form). Zero gives all zeros and 0.
struct Scientific {
  std::string digits;
  int exponent = 0;
};

Scientific RoundScientific(double magnitude, int significant) {
  Scientific r;
  if (magnitude == 0.0) {
    r.digits.assign(static_cast<std::size_t>(significant), '0');
    return r;
  }
  std::string buf(static_cast<std::size_t>(significant) + 32, '\0');
  const int n = std::snprintf(buf.data(), buf.size(), "%.*e", significant - 1, magnitude);
  buf.resize(static_cast<std::size_t>(n));
  const std::size_t e = buf.find('e');
  r.digits.push_back(buf[0]);
  if (significant > 1) r.digits.append(buf, 2, e - 2);
  r.exponent = std::atoi(buf.c_str() + e + 1) + 1;
  return r;
}

// A non-negative finite value rounded to `decimals` places: the integer part
// and the fraction digits.
struct Fixed {
  std::string integer;
  std::string fraction;
};

Fixed RoundFixed(double magnitude, int decimals) {
  // 309 integer digits at most for a double.
  std::string buf(static_cast<std::size_t>(decimals) + 330, '\0');
  const int n = std::snprintf(buf.data(), buf.size(), "%.*f", decimals, magnitude);
  buf.resize(static_cast<std::size_t>(n));
  const std::size_t point = buf.find('.');
  if (point == std::string::npos) return {buf, {}};
  return {buf.substr(0, point), buf.substr(point + 1)};
}

std::string InfNan(double value, int width) {
  if (std::isnan(value)) {
    if (width == 0) return "NaN";
    return width < 3 ? Stars(width) : RightAligned("NaN", width);
  }
  const bool negative = std::signbit(value);
  if (width == 0) return negative ? "-Inf" : "Inf";
  if (negative) {
    if (width <= 3) return Stars(width);
    return RightAligned(width >= 9 ? "-Infinity" : "-Inf", width);
  }
  if (width < 3) return Stars(width);
  return RightAligned(width >= 8 ? "Infinity" : "Inf", width);
}

// Fw.d. The zero before the point of a value below one is written when the
// field has room for it, and dropped when it has not (or when w is 0).
std::string WriteFixed(double value, int width, int decimals) {
  const Fixed f = RoundFixed(std::fabs(value), decimals);
  const std::string sign = std::signbit(value) ? "-" : "";
  const std::string with_zero = sign + f.integer + "." + f.fraction;
  const bool zero_droppable = f.integer == "0" && decimals > 0;
  if (width == 0) return zero_droppable ? sign + "." + f.fraction : with_zero;
  if (static_cast<int>(with_zero.size()) <= width) return RightAligned(with_zero, width);
  if (zero_droppable && static_cast<int>(with_zero.size()) - 1 <= width)
    return RightAligned(sign + "." + f.fraction, width);
  return Stars(width);
}

// The exponent part: "E+dd", or "+ddd" for a three-digit exponent when no
// exponent width was asked for, or the letter and exactly `digits` digits.
// Empty when the exponent does not fit.
std::string ExponentPart(int exponent, int digits, char letter) {
  const int magnitude = std::abs(exponent);
  const char sign = exponent < 0 ? '-' : '+';
  std::string number = std::to_string(magnitude);
  if (digits < 0) {
    if (magnitude <= 99) return std::string{letter, sign} + std::string(2 - number.size(), '0') + number;
    if (magnitude <= 999) return std::string{sign} + number;
    return {};
  }
  if (static_cast<int>(number.size()) > digits) return {};
  return std::string{letter, sign} + std::string(static_cast<std::size_t>(digits) - number.size(), '0') +
         number;
}

// Ew.d[Ee] and Dw.d: 0.DDDD with the exponent; the leading zero is optional.
std::string WriteExponential(double value, const EditDescriptor& ed, char letter) {
  const Scientific s = RoundScientific(std::fabs(value), ed.digits);
  const std::string exponent = ExponentPart(s.exponent, ed.exponent, letter);
  if (exponent.empty()) return Stars(ed.width);
  const std::string sign = std::signbit(value) ? "-" : "";
  const std::string tail = "." + s.digits + exponent;
  if (static_cast<int>(sign.size() + 1 + tail.size()) <= ed.width)
    return RightAligned(sign + "0" + tail, ed.width);
  return RightAligned(sign + tail, ed.width);
}

int Mod3(int exponent) { return exponent >= 0 ? exponent % 3 : (3 - (-exponent) % 3) % 3; }

// ESw.d[Ee]: one non-zero digit before the point.
std::string WriteScientific(double value, const EditDescriptor& ed) {
  Scientific s = RoundScientific(std::fabs(value), ed.digits + 1);
  if (std::fabs(value) == 0.0) s.exponent = 1;
  const std::string exponent = ExponentPart(s.exponent - 1, ed.exponent, 'E');
  if (exponent.empty()) return Stars(ed.width);
  const std::string sign = std::signbit(value) ? "-" : "";
  return RightAligned(sign + s.digits.substr(0, 1) + "." + s.digits.substr(1) + exponent, ed.width);
}

// ENw.d[Ee]: one to three digits before the point and an exponent divisible
// by three. gfortran prints as many digits as the exact value's exponent
// calls for, then rounds the printed digits once more, half up, to the
// digits shown. That second rounding can carry (9.9999 gives 10.000E+00) and we
// write exactly what gfortran writes.
std::string WriteEngineering(double value, const EditDescriptor& ed) {
  const double magnitude = std::fabs(value);
  std::string digits;
  int before = 1;
  int exponent = 0;
  if (magnitude == 0.0) {
    digits.assign(static_cast<std::size_t>(ed.digits) + 1, '0');
  } else {
    // Every double has at most 767 significant digits: this rounds nothing.
    const int guess = RoundScientific(magnitude, 770).exponent - 1;
    const int printed = ed.digits + Mod3(guess) + 1;
    const Scientific s = RoundScientific(magnitude, printed);
    const int power = s.exponent - 1;
    before = Mod3(power) + 1;
    exponent = power - before + 1;
    digits = s.digits;
    const std::size_t wanted = static_cast<std::size_t>(before + ed.digits);
    if (digits.size() > wanted) {
      const bool up = digits[wanted] >= '5';
      digits.resize(wanted);
      if (up) {
        std::size_t i = wanted;
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i > 0) {
          ++digits[i - 1];
        } else {
          digits.insert(digits.begin(), '1');
          digits.pop_back();
          if (++before == 4) {
            before = 1;
            exponent += 3;
          }
          digits.resize(static_cast<std::size_t>(before + ed.digits), '0');
        }
      }
    }
    digits.resize(static_cast<std::size_t>(before + ed.digits), '0');
  }
  const std::string exponent_part = ExponentPart(exponent, ed.exponent, 'E');
  if (exponent_part.empty()) return Stars(ed.width);
  const std::string sign = std::signbit(value) ? "-" : "";
  const auto split = static_cast<std::size_t>(before);
  return RightAligned(sign + digits.substr(0, split) + "." + digits.substr(split) + exponent_part,
                      ed.width);
}

template <typename Real>
Real PowerOfTen(int n) {
  Real r = 1;
  for (int i = 0; i < (n >= 0 ? n : -n); ++i) r *= 10;
  return n >= 0 ? r : Real(1) / r;
}

// How many digits Gw.d puts after the point in the F form, or -1 for the E
// form. The choice is made as gfortran makes it: by comparing the value with
// the rounding bounds 10^k (1 - 0.5 / 10^d), computed in the value's own
// precision, not by looking at its rounded digits.
template <typename Real>
int GeneralFixedDecimals(Real m, int d) {
  if (m == 0) return d - 1;
  const Real r = Real(0.5);
  const Real exp_d = PowerOfTen<Real>(d);
  const Real r_sc = Real(1) - r / exp_d;
  const volatile Real low = static_cast<Real>(0.1 * r_sc);
  if (m < low || r >= exp_d - m) return -1;
  int low_i = 0, high = d + 1, lower = 0, upper = d + 1, mid = 0;
  while (low_i <= high) {
    mid = (low_i + high) / 2;
    const volatile Real bound = PowerOfTen<Real>(mid - 1) * r_sc;
    if (m < bound) {
      upper = mid;
      if (upper == lower + 1) break;
      high = mid - 1;
    } else if (m > bound) {
      lower = mid;
      if (upper == lower + 1) {
        ++mid;
        break;
      }
      low_i = mid + 1;
    } else {
      ++mid;
      break;
    }
  }
  return d + 1 - mid;
}

// Gw.d[Ee]: the F form, followed by as many blanks as the exponent part
// would take, for values of moderate size (zero included); the E form
// otherwise.
std::string WriteGeneral(double value, const EditDescriptor& ed, bool single) {
  const int decimals = single ? GeneralFixedDecimals(std::fabs(static_cast<float>(value)), ed.digits)
                              : GeneralFixedDecimals(std::fabs(value), ed.digits);
  if (decimals < 0) return WriteExponential(value, ed, 'E');
  int trailing = ed.exponent < 0 ? 4 : ed.exponent + 2;
  if (trailing >= ed.width) trailing = ed.width - 1;
  const std::string fixed = WriteFixed(value, ed.width - trailing, decimals);
  if (fixed.find('*') != std::string::npos) return Stars(ed.width);
  return fixed + std::string(static_cast<std::size_t>(trailing), ' ');
}

}  // namespace

std::optional<std::string> WriteInteger(long long value, std::string_view format) {
  const auto ed = ParseEditDescriptor(format);
  if (!ed || (ed->kind != EditKind::kI && ed->kind != EditKind::kG)) return std::nullopt;
  const unsigned long long magnitude =
      value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  std::string digits = std::to_string(magnitude);
  const int minimum = ed->kind == EditKind::kI ? ed->digits : -1;
  if (minimum == 0 && magnitude == 0) digits.clear();
  if (minimum > static_cast<int>(digits.size()))
    digits.insert(0, static_cast<std::size_t>(minimum) - digits.size(), '0');
  if (value < 0) digits.insert(0, 1, '-');
  // I0.0 of zero still takes one position, as gfortran writes it.
  if (ed->width == 0) return digits.empty() ? " " : digits;
  return RightAligned(digits, ed->width);
}

std::optional<std::string> WriteReal(double value, std::string_view format, bool single) {
  const auto ed = ParseEditDescriptor(format);
  if (!ed || ed->kind == EditKind::kI) return std::nullopt;
  if (!std::isfinite(value)) return InfNan(value, ed->width);
  switch (ed->kind) {
    case EditKind::kF: return WriteFixed(value, ed->width, ed->digits);
    case EditKind::kE: return WriteExponential(value, *ed, 'E');
    case EditKind::kD: return WriteExponential(value, *ed, 'D');
    case EditKind::kES: return WriteScientific(value, *ed);
    case EditKind::kEN: return WriteEngineering(value, *ed);
    case EditKind::kG: return WriteGeneral(value, *ed, single);
    case EditKind::kI: break;
  }
  return std::nullopt;
}

}  // namespace zarv::fortran
