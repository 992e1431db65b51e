// Numbers as the program writes them into messages, list lines and files:
// right-aligned fields of Fortran's "(Iw)" and "(Fw.d)" edit descriptors,
// asterisks filling the field when the value does not fit.
#pragma once

#include <string>

namespace nodalux {

std::string IntegerField(long long value, int width);
std::string FixedField(double value, int width, int decimals);

// The widest field that PutFixedField writes.
inline constexpr int kMaxPutWidth = 32;

// Writes the "(Fw.d)" field of `value` (1 <= width <= kMaxPutWidth) at
// `out`, without its leading blanks when `trim` is set, and returns where
// it ends: what FixedField gives, made without building a format for the
// coordinates of every record.
char* PutFixedField(char* out, double value, int width, int decimals, bool trim);

}  // namespace nodalux
