#include "app/nodalux/settings.h"

#include <string>

#include "app/formats/circle_text.h"
#include "app/shared/program_state.h"
#include "toolkit/core/os_services.h"

namespace nodalux {

void ParseCircleText() {
  const geo::Circle circle =
      formats::StoredCircle(CIRCLE_TEXT.view(), {CENTRE_LATITUDE, CENTRE_LONGITUDE, RADIUS_MILES});
  CENTRE_LATITUDE = circle.latitude;
  CENTRE_LONGITUDE = circle.longitude;
  RADIUS_MILES = circle.radius_miles;
}

void BuildCircleText() {
  CIRCLE_TEXT.assign(formats::CircleText({CENTRE_LATITUDE, CENTRE_LONGITUDE, RADIUS_MILES}));
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
