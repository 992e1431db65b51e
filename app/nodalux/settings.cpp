#include "app/nodalux/settings.h"

#include <string>

#include "app/formats/circle_text.h"
#include "app/shared/program_state.h"
#include "toolkit/core/os_services.h"

namespace nodalux {
void ParseCircleText() {
  geo::Circle circle{CENTRE_LATITUDE, CENTRE_LONGITUDE, RADIUS_MILES};
  if (!formats::ReadCircleText(CIRCLE_TEXT.view(), &circle)) circle = formats::kDefaultCircle;
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
  if (!INPUT_FILE.blank()) IOsRegistryPut(SETTINGS_KEY, INPUT_FILE.view(), "input_file", 1);
  BuildCircleText();
  IOsRegistryPut(SETTINGS_KEY, CIRCLE_TEXT.view(), "circle", 1);
}

}  // namespace nodalux
