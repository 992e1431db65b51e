// The circle line of the status bar, shared by start-up and the group
// definition dialog.
#pragma once

namespace nodalux {
// Builds " Centre: N  51.47604, E  0.00000, Radius: 30.00" from the given
// values (the latitude and longitude shown beside their hemisphere letters)
// in MESSAGE_TEXT and writes it into status bar part 2.
void WriteCircleStatus(float latitude, float longitude, float radius);
}  // namespace nodalux
