// Fuzz target: the bytes as a whole OV2 file.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzz_check.h"
#include "tests/app/ov2subs/fuzz_ov2.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ov2test::FuzzReadOv2(data, size);
  nodalux::fuzz::AbortOnFailedAssertion();
  return 0;
}
