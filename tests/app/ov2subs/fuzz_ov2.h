// Fuzz entry points: each takes any bytes and must neither crash nor break
// an invariant. Built into the normal test programs so they never rot.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ov2test {

// Feeds the bytes to the OV2 decoder as a whole file, in chunks of several
// sizes: every way must read the same.
void FuzzReadOv2(const std::uint8_t* data, std::size_t size);
// Feeds the bytes to the converter's line parser; what it accepts must
// encode and decode back unchanged.
void FuzzMakeOv2Line(const std::uint8_t* data, std::size_t size);

}  // namespace ov2test
