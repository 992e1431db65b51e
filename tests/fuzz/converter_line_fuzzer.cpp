// Fuzz target: one line of the converter's input; what it accepts must
// encode to OV2 and decode back unchanged.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzz_check.h"
#include "tests/app/ov2subs/fuzz_ov2.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ov2test::FuzzMakeOv2Line(data, size);
  nodalux::fuzz::AbortOnFailedAssertion();
  return 0;
}
