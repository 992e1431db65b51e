// Fuzz target: text to integer, real and double.
#include <cstddef>
#include <cstdint>

#include "tests/toolkit/core/fuzz_conversions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzTextToNumber(data, size);
  return 0;
}
