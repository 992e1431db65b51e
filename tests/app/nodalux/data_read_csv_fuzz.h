// Fuzz entry points for the CSV reader: any bytes, read as an input file by
// READ_CSV, read by the format library in chunks of every size, and given
// to both paths of the record grammar.
#pragma once

#include <cstddef>
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

// Reads the bytes with the CSV reader whole and a few bytes at a time: the
// records and the stop must be the same, lines and names within bounds.
void FuzzCsvReader(const std::uint8_t* data, std::size_t size);

// Gives the bytes, as one record line, to the fast path and the general
// path of the record grammar: wherever the fast path takes a line, the
// general path must read the same values from it.
void FuzzCsvRecordPaths(const std::uint8_t* data, std::size_t size);

}  // namespace nodalux::testing
