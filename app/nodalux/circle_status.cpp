#include "app/nodalux/circle_status.h"

#include <cmath>
#include <string>

#include "app/nodalux/app_state.h"
#include "app/nodalux/poi_data.h"
#include "toolkit/core/fortran_io.h"
#include "toolkit/core/window.h"

namespace nodalux {
namespace {

// A right-aligned fixed-point field; asterisks when the number does not fit.
std::string Fixed(float value, std::string_view format, std::size_t width) {
  auto text = zarv::fortran::WriteReal(value, format, true);
  return text ? *text : std::string(width, '*');
}

}  // namespace

void WriteCircleStatus() {
  std::string line = " Centre: ";
  line += NS_LETTER[0];
  line += Fixed(std::fabs(CENTRE_LATITUDE), "(F10.5)", 10);
  line += ", ";
  line += EW_LETTER[0];
  line += Fixed(std::fabs(CENTRE_LONGITUDE), "(F9.5)", 9);
  line += ", Radius:";
  line += Fixed(RADIUS_MILES, "(F6.2)", 6);
  MESSAGE_TEXT.assign(line);
  WindowStatusText(2, MESSAGE_TEXT.trimmed());
}

}  // namespace nodalux
