// The body of READ_OV2 once the file's bytes are in memory; tests and the
// fuzz target call it directly.
#pragma once

#include <span>

namespace nodalux {

// Appends the POI of one OV2 file to POI_TABLE and sets READ_COUNT; shows
// a message box and sets QUIT_REQUESTED at an unsupported record type or
// when the table is full.
void AppendOv2Records(std::span<const unsigned char> bytes);

}  // namespace nodalux
