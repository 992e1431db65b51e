// Fuzz target: the bytes as the settings store's file.
#include <cstddef>
#include <cstdint>

#include "tests/toolkit/core/os_fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zarv::fuzz::RegistryStoreFile(data, size);
  return 0;
}
