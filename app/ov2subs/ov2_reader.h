// The body of READ_OV2 once the file is open; tests and the benchmark call
// it on bytes in memory.
#pragma once

#include <span>
#include <string_view>

#include "app/formats/byte_source.h"

namespace nodalux {

// Appends the POI of one OV2 file to POI_TABLE and sets READ_COUNT; shows
// a message box and sets QUIT_REQUESTED at an unsupported record type or
// when the table is full. False when the file could not be read to its end
// (`path` names it in the message).
bool AppendOv2Records(formats::ByteSource& source, std::string_view path);
void AppendOv2Records(std::span<const unsigned char> bytes);

}  // namespace nodalux
