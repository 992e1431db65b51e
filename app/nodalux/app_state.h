// The application's shared state: one instance each, alive for the run.
#pragma once

#include "toolkit/core/text.h"

namespace nodalux {

extern bool QUIT_REQUESTED;
extern zarv::Text<256> PROGRAM_FOLDER;
extern zarv::Text<256> DEFAULT_SYMBOL_PATH;
extern zarv::Text<256> BROWSE_PATH;
extern zarv::Text<256> INPUT_FILE;
extern zarv::Text<256> OUTPUT_FILE;
extern zarv::Text<64> CIRCLE_TEXT;
extern zarv::Text<1> NS_LETTER;
extern zarv::Text<1> EW_LETTER;
extern zarv::Text<256> MESSAGE_TEXT;

inline constexpr const char* SETTINGS_KEY = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvath\\Nodalux";

}  // namespace nodalux
