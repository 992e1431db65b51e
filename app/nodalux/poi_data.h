// The POI table, the group table and the circle that selects the group.
#pragma once

#include <array>
#include <cstdint>

#include "toolkit/core/text.h"

namespace nodalux {

struct POI_RECORD {
  float LONGITUDE = 0.0f;  // decimal degrees, east positive
  float LATITUDE = 0.0f;   // decimal degrees, north positive
  zarv::Text<128> NAME;
};

inline constexpr std::int32_t MAX_POI = 30000;

// Indexed 1..MAX_POI as the rest of the program counts; slot 0 is unused.
using PoiTable = std::array<POI_RECORD, MAX_POI + 1>;

extern PoiTable POI_TABLE;
extern PoiTable GROUP_TABLE;
extern std::int32_t POI_COUNT;
extern std::int32_t GROUP_COUNT;
extern std::int32_t READ_COUNT;
extern float CENTRE_LATITUDE;
extern float CENTRE_LONGITUDE;
extern float RADIUS_MILES;

// The table is full: says so ("Storage limit") and asks the program to end
// after the current command.
void ReportStorageLimit();
// Rebuilds the group from the POI table and shows its size in status bar
// part 1.
void SELECT();

}  // namespace nodalux
