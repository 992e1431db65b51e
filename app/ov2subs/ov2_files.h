// The program's routines on OV2 files.
#pragma once

namespace nodalux {
// Appends the POI of the OV2 file INPUT_FILE to the POI table. False when
// the file was not read (it cannot be opened or read); a message has then
// said why.
bool READ_OV2();
// Writes the group as the OV2 file OUTPUT_FILE through the converter.
void WRITE_OV2();
}  // namespace nodalux
