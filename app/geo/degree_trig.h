// Sine and cosine of an angle in degrees, on 32-bit floats.
#pragma once

namespace nodalux::geo {

// The angle is reduced modulo 360 and folded into 0..45 degrees, so that
// 0, 90, 180 and 270 give exactly 0, 1 and -1 and the result is the same
// for every turn of the circle. The folded angle is converted to radians in
// double precision and rounded once.
float SIND(float degrees);
float COSD(float degrees);

}  // namespace nodalux::geo
