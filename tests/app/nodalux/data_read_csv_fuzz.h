// Fuzz entry point for the CSV reader: any bytes, read as an input file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace nodalux::testing {

// Writes `bytes` to `scratch_file`, reads it with READ_CSV into a table that
// already holds `preloaded` records, and checks the table's invariants
// (failing the current test when one breaks). Message boxes get whatever
// answer the current backend gives.
void FuzzReadCsv(std::span<const std::uint8_t> bytes, const std::filesystem::path& scratch_file,
                 std::int32_t preloaded);

}  // namespace nodalux::testing
