// The circle as status bar part 2 shows it.
#pragma once

namespace nodalux {
// Builds " Centre: N  51.47604, E  0.00000, Radius: 30.00" from the circle's
// magnitudes and the hemisphere letters into MESSAGE_TEXT and writes it to
// status bar part 2.
void WriteCircleStatus();
}  // namespace nodalux
