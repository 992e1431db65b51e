// Stand-ins for the application's selection and list view while they are
// written elsewhere: a group of every POI within RADIUS_MILES degrees.
#include <cmath>
#include <string>

#include "app/nodalux/app_state.h"
#include "app/nodalux/list_view.h"
#include "app/nodalux/poi_data.h"
#include "toolkit/core/window.h"

namespace nodalux {
PoiTable POI_TABLE;
PoiTable GROUP_TABLE;
std::int32_t POI_COUNT = 0, GROUP_COUNT = 0, READ_COUNT = 0;
float CENTRE_LATITUDE = 51.47604f, CENTRE_LONGITUDE = 0.0f, RADIUS_MILES = 30.0f;
zarv::Text<256> MESSAGE_TEXT;
zarv::Text<1> NS_LETTER("N");
zarv::Text<1> EW_LETTER("E");
std::array<zarv::Text<128>, LIST_CAPACITY + 1> LIST_LINES;
std::int32_t LIST_COUNT = 0;

void SELECT() {
  GROUP_COUNT = 0;
  for (int i = 1; i <= POI_COUNT; ++i) {
    if (std::hypot(POI_TABLE[i].LATITUDE - CENTRE_LATITUDE,
                   POI_TABLE[i].LONGITUDE - CENTRE_LONGITUDE) <= RADIUS_MILES) {
      GROUP_TABLE[++GROUP_COUNT] = POI_TABLE[i];
    }
  }
  WindowStatusText(1, " Number of POI in group: " + std::to_string(GROUP_COUNT));
}

void SCROLL(std::string_view TEXT) {
  if (LIST_COUNT < LIST_CAPACITY) ++LIST_COUNT;
  LIST_LINES[static_cast<std::size_t>(LIST_COUNT)].assign(TEXT);
}
}  // namespace nodalux
