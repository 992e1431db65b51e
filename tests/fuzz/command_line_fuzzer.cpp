// Fuzz target: command-line splitting and joining.
#include <cstddef>
#include <cstdint>

#include "tests/toolkit/core/os_fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zarv::fuzz::CommandLine(data, size);
  return 0;
}
