#include "app/formats/number_fields.h"

#include "toolkit/core/fortran_io.h"

namespace nodalux {

std::string IntegerField(long long value, int width) {
  return zarv::fortran::WriteInteger(value, "(I" + std::to_string(width) + ")")
      .value_or(std::string(static_cast<std::size_t>(width), '*'));
}

std::string FixedField(double value, int width, int decimals) {
  const std::string format = "(F" + std::to_string(width) + "." + std::to_string(decimals) + ")";
  return zarv::fortran::WriteReal(value, format, true)
      .value_or(std::string(static_cast<std::size_t>(width), '*'));
}

}  // namespace nodalux
