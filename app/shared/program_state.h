// The program's state: one object that every command routine shares, alive
// for the whole run. The names the routines use (POI_TABLE, POI_COUNT,
// INPUT_FILE, ...) are bound to its members. ResetProgramState() puts every
// one of them back as the program starts, for tests.
#pragma once

#include <array>
#include <cstdint>

#include "app/formats/circle_text.h"
#include "app/shared/poi_table.h"
#include "toolkit/core/text.h"

namespace nodalux {

inline constexpr std::int32_t LIST_CAPACITY = 12;
inline constexpr const char* SETTINGS_KEY = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvath\\Nodalux";

struct ProgramState {
  // The POI loaded, the group inside the circle, and the circle.
  PoiTable POI_TABLE;
  PoiTable GROUP_TABLE;
  std::int32_t POI_COUNT = 0;
  std::int32_t GROUP_COUNT = 0;
  std::int32_t READ_COUNT = 0;
  // The circle in force before the settings are read; a value left empty in
  // the stored circle keeps it.
  float CENTRE_LATITUDE = formats::kInitialCircle.latitude;
  float CENTRE_LONGITUDE = formats::kInitialCircle.longitude;
  float RADIUS_MILES = formats::kInitialCircle.radius_miles;

  bool QUIT_REQUESTED = false;
  zarv::Text<256> PROGRAM_FOLDER;
  zarv::Text<256> DEFAULT_SYMBOL_PATH;
  zarv::Text<256> BROWSE_PATH;
  zarv::Text<256> INPUT_FILE;
  zarv::Text<256> OUTPUT_FILE;
  zarv::Text<64> CIRCLE_TEXT;
  zarv::Text<1> NS_LETTER;
  zarv::Text<1> EW_LETTER;
  zarv::Text<256> MESSAGE_TEXT;
  // "new group" after an open, "group" after an append.
  zarv::Text<9> GROUP_WORD;

  // The main window's message lines, newest at the bottom; 1-based.
  std::array<zarv::Text<128>, LIST_CAPACITY + 1> LIST_LINES;
  std::int32_t LIST_COUNT = 0;

  // The folder separator the path helpers cut at, when a test asks for
  // another than the platform's (0: the platform's).
  char path_separator_for_test = 0;
};

ProgramState& State();
void ResetProgramState();

extern PoiTable& POI_TABLE;
extern PoiTable& GROUP_TABLE;
extern std::int32_t& POI_COUNT;
extern std::int32_t& GROUP_COUNT;
extern std::int32_t& READ_COUNT;
extern float& CENTRE_LATITUDE;
extern float& CENTRE_LONGITUDE;
extern float& RADIUS_MILES;
extern bool& QUIT_REQUESTED;
extern zarv::Text<256>& PROGRAM_FOLDER;
extern zarv::Text<256>& DEFAULT_SYMBOL_PATH;
extern zarv::Text<256>& BROWSE_PATH;
extern zarv::Text<256>& INPUT_FILE;
extern zarv::Text<256>& OUTPUT_FILE;
extern zarv::Text<64>& CIRCLE_TEXT;
extern zarv::Text<1>& NS_LETTER;
extern zarv::Text<1>& EW_LETTER;
extern zarv::Text<256>& MESSAGE_TEXT;
extern zarv::Text<9>& GROUP_WORD;
extern std::array<zarv::Text<128>, LIST_CAPACITY + 1>& LIST_LINES;
extern std::int32_t& LIST_COUNT;

}  // namespace nodalux
