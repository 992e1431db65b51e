// Fuzz entry points: each takes arbitrary bytes, must never crash, and traps
// when an invariant breaks. They build with every test build, so they do
// not rot; os_fuzz_test.cpp drives them over random inputs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zarv::fuzz {

// The bytes as the registry store file: reads must find nothing or a sound
// value, and a write that fails must leave the file as it was.
int RegistryStoreFile(const std::uint8_t* data, std::size_t size);

// The bytes as a command line for every splitter.
int CommandLine(const std::uint8_t* data, std::size_t size);

}  // namespace zarv::fuzz
