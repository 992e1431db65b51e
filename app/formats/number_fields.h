// Numbers as the program writes them into messages, list lines and files:
// right-aligned fields of Fortran's "(Iw)" and "(Fw.d)" edit descriptors,
// asterisks filling the field when the value does not fit.
#pragma once

#include <string>

namespace nodalux {
std::string IntegerField(long long value, int width);
std::string FixedField(double value, int width, int decimals);
}  // namespace nodalux
