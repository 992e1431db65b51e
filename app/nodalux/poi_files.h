// The program's routines on the POI tables and the CSV files.
#pragma once

namespace nodalux {
// Rebuilds the group from the POI table and shows its size in status bar
// part 1 (select.cpp).
void SELECT();
// Appends the POI of the CSV file INPUT_FILE to the POI table. False when
// the file was not read (it cannot be opened or read, or it is not an
// AutoRoute CSV file); a message has then said why.
bool READ_CSV();
// Writes the group as the CSV file OUTPUT_FILE.
void WRITE_CSV();
}  // namespace nodalux
