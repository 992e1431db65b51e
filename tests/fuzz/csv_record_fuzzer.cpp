// Fuzz target: the bytes as one CSV record line, given to both paths of the
// record grammar (the fast path for plain records and the general
// list-directed one), which must agree wherever the fast path takes a line.
#include <cstddef>
#include <cstdint>

#include "tests/app/nodalux/data_read_csv_fuzz.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nodalux::testing::FuzzCsvRecordPaths(data, size);
  nodalux::fuzz::AbortOnFailedAssertion();
  return 0;
}
