// Fuzz target: the bytes as the stored "circle" text (cut to its 64
// characters). Whatever it holds, the circle read from it is finite, and
// storing it and reading it back changes nothing, unless a latitude or
// longitude too wide for its stored field was stored as asterisks (read
// back as the default circle).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/nodalux/settings.h"
#include "app/shared/program_state.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void BuiltInCircle() {
  nodalux::CENTRE_LATITUDE = 51.23804f;
  nodalux::CENTRE_LONGITUDE = -0.78157f;
  nodalux::RADIUS_MILES = 30.0f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nodalux;
  BuiltInCircle();
  CIRCLE_TEXT.assign(std::string_view(reinterpret_cast<const char*>(data), size));
  ParseCircleText();
  Check(std::isfinite(CENTRE_LATITUDE) && std::isfinite(CENTRE_LONGITUDE) &&
        std::isfinite(RADIUS_MILES));

  BuildCircleText();
  const std::string stored(CIRCLE_TEXT.view());
  const float latitude = CENTRE_LATITUDE, longitude = CENTRE_LONGITUDE, radius = RADIUS_MILES;
  if (stored.find('*') != std::string::npos) return 0;
  BuiltInCircle();
  ParseCircleText();
  BuildCircleText();
  Check(std::string_view(CIRCLE_TEXT.view()) == stored);
  // A value that fits the stored fields comes back as it was stored.
  Check(std::fabs(CENTRE_LATITUDE - latitude) <= 0.000005f + std::fabs(latitude) * 1e-6f);
  Check(std::fabs(CENTRE_LONGITUDE - longitude) <= 0.000005f + std::fabs(longitude) * 1e-6f);
  Check(std::fabs(RADIUS_MILES - radius) <= 0.005f + std::fabs(radius) * 1e-6f);
  return 0;
}
