#include "app/nodalux/settings.h"

#include <cmath>
#include <string>

#include "app/nodalux/app_state.h"
#include "app/nodalux/number_fields.h"
#include "app/nodalux/poi_data.h"
#include "toolkit/core/fortran_io.h"
#include "toolkit/core/os_services.h"

namespace nodalux {
namespace {

constexpr float kDefaultLatitude = 51.47604f;
constexpr float kDefaultLongitude = 0.0f;
constexpr float kDefaultRadius = 30.0f;

// The radius in 6 characters, widened to the narrowest field that holds it,
// so that no radius is lost (42 characters hold the largest float, and with
// the two 10-character fields fill the 64 characters of the text).
std::string RadiusField(float radius) {
  for (int width = 6; width <= 42; ++width) {
    std::string field = FixedField(radius, width, 2);
    if (field.find('*') == std::string::npos) return field;
  }
  return FixedField(radius, 6, 2);
}

void DefaultCircle() {
  CENTRE_LATITUDE = kDefaultLatitude;
  CENTRE_LONGITUDE = kDefaultLongitude;
  RADIUS_MILES = kDefaultRadius;
}

}  // namespace

void ParseCircleText() {
  if (CIRCLE_TEXT.blank()) {
    DefaultCircle();
    return;
  }
  zarv::fortran::ListReader reader(CIRCLE_TEXT.view());
  float* targets[] = {&CENTRE_LATITUDE, &CENTRE_LONGITUDE, &RADIUS_MILES};
  for (float* target : targets) {
    float value = *target;
    const auto status = reader.read(value);
    using Status = zarv::fortran::ListReader::Status;
    if (status == Status::kError || status == Status::kEnd) {
      DefaultCircle();
      return;
    }
    if (status == Status::kSlash) break;  // the rest keep their values
    if (status == Status::kValue) *target = value;
  }
  // "nan", "inf" or a number beyond a float's range is no circle.
  if (!std::isfinite(CENTRE_LATITUDE) || !std::isfinite(CENTRE_LONGITUDE) ||
      !std::isfinite(RADIUS_MILES)) {
    DefaultCircle();
  }
}

void BuildCircleText() {
  CIRCLE_TEXT.assign(FixedField(CENTRE_LATITUDE, 10, 5) + "," + FixedField(CENTRE_LONGITUDE, 10, 5) + "," +
                     RadiusField(RADIUS_MILES));
}

void LoadSettings() {
  zarv::TextSpan browse = BROWSE_PATH;
  zarv::TextSpan circle = CIRCLE_TEXT;
  IOsRegistryGet(SETTINGS_KEY, &browse, "input_file");
  IOsRegistryGet(SETTINGS_KEY, &circle, "circle");
  ParseCircleText();
  NS_LETTER.assign(CENTRE_LATITUDE < 0.0f ? "S" : "N");
  EW_LETTER.assign(CENTRE_LONGITUDE < 0.0f ? "W" : "E");
}

void StoreSettings() {
  // Both values in one transaction: stored together, with one wait.
  const zarv::RegistryWriteGroup together;
  if (!INPUT_FILE.blank()) IOsRegistryPut(SETTINGS_KEY, INPUT_FILE.view(), "input_file", 1);
  BuildCircleText();
  IOsRegistryPut(SETTINGS_KEY, CIRCLE_TEXT.view(), "circle", 1);
}

}  // namespace nodalux
