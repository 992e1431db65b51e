// Fuzz target: the list-directed reader (the first byte picks the items read).
#include <cstddef>
#include <cstdint>

#include "tests/toolkit/core/fuzz_conversions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzListReader(data, size);
  return 0;
}
