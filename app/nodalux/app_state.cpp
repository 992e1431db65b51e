// The application's shared state.
#include "app/nodalux/app_state.h"

namespace nodalux {

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

}  // namespace nodalux
