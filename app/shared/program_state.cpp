#include "app/shared/program_state.h"

namespace nodalux {
namespace {
ProgramState g_state;
}  // namespace

ProgramState& State() { return g_state; }
void ResetProgramState() { g_state = ProgramState{}; }

PoiTable& POI_TABLE = g_state.POI_TABLE;
PoiTable& GROUP_TABLE = g_state.GROUP_TABLE;
std::int32_t& POI_COUNT = g_state.POI_COUNT;
std::int32_t& GROUP_COUNT = g_state.GROUP_COUNT;
std::int32_t& READ_COUNT = g_state.READ_COUNT;
float& CENTRE_LATITUDE = g_state.CENTRE_LATITUDE;
float& CENTRE_LONGITUDE = g_state.CENTRE_LONGITUDE;
float& RADIUS_MILES = g_state.RADIUS_MILES;
bool& QUIT_REQUESTED = g_state.QUIT_REQUESTED;
zarv::Text<256>& PROGRAM_FOLDER = g_state.PROGRAM_FOLDER;
zarv::Text<256>& DEFAULT_SYMBOL_PATH = g_state.DEFAULT_SYMBOL_PATH;
zarv::Text<256>& BROWSE_PATH = g_state.BROWSE_PATH;
zarv::Text<256>& INPUT_FILE = g_state.INPUT_FILE;
zarv::Text<256>& OUTPUT_FILE = g_state.OUTPUT_FILE;
zarv::Text<64>& CIRCLE_TEXT = g_state.CIRCLE_TEXT;
zarv::Text<1>& NS_LETTER = g_state.NS_LETTER;
zarv::Text<1>& EW_LETTER = g_state.EW_LETTER;
zarv::Text<256>& MESSAGE_TEXT = g_state.MESSAGE_TEXT;
zarv::Text<9>& GROUP_WORD = g_state.GROUP_WORD;
std::array<zarv::Text<128>, LIST_CAPACITY + 1>& LIST_LINES = g_state.LIST_LINES;
std::int32_t& LIST_COUNT = g_state.LIST_COUNT;

}  // namespace nodalux
