// Stand-ins for the number conversions while they are still being written
// elsewhere; CMake adds this file only while toolkit/core has none. They
// work through the formatted output and list-directed input underneath.
#include "toolkit/core/conversions.h"
#include "toolkit/core/fortran_io.h"

void IntegerToString(int value, zarv::TextSpan text, std::string_view format) {
  text.assign(zarv::fortran::WriteInteger(value, format).value_or(""));
}
void IRealToString(float value, zarv::TextSpan text, std::string_view format) {
  text.assign(zarv::fortran::WriteReal(value, format, true).value_or(""));
}
void IDoubleToString(double value, zarv::TextSpan text, std::string_view format) {
  text.assign(zarv::fortran::WriteReal(value, format).value_or(""));
}
void IStringToReal8(std::string_view text, double& value) {
  zarv::fortran::ListReader(text).read(value);
}
