// Fuzz target: numbers to text (8 bytes of value, then the format).
#include <cstddef>
#include <cstdint>

#include "tests/toolkit/core/fuzz_conversions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzFormat(data, size);
  return 0;
}
