#include "app/formats/ov2_layout.h"

#include <cmath>

namespace nodalux::formats::ov2 {

std::optional<std::int32_t> UnitsFromDegrees(double degrees, double limit) {
  if (!(std::fabs(degrees) <= limit)) return std::nullopt;
  return static_cast<std::int32_t>(std::lround(degrees * 100000.0));
}

}  // namespace nodalux::formats::ov2
