// The two stored settings: the last input file and the circle.
#pragma once

namespace nodalux {
// Reads "input_file" into BROWSE_PATH and "circle" into CIRCLE_TEXT, and sets
// the circle and the hemisphere letters from it.
void LoadSettings();
// Stores "input_file" (when INPUT_FILE is not blank) and "circle".
void StoreSettings();
// The circle as stored: latitude and longitude in 10-character fields with
// 5 decimals, the radius with 2 decimals in 6 characters, or wider when it
// does not fit, so that no radius is lost.
void BuildCircleText();
// Reads CIRCLE_TEXT into the circle values; the default circle when it is
// blank, damaged, or holds fewer than three numbers.
void ParseCircleText();
}  // namespace nodalux
