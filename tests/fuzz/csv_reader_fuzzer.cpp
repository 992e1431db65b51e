// Fuzz target: the bytes as an AutoRoute CSV file, read by the program into
// an empty table, or (for inputs whose length is a multiple of 7) into one
// that is all but full, so that the storage limit is reached too; and read
// by the format library whole and in chunks of every size.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "app/shared/poi_table.h"
#include "tests/app/nodalux/data_read_csv_fuzz.h"
#include "tests/fuzz/fuzz_check.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/platform/headless/headless_platform.h"
#include "toolkit/platform/transcript.h"

namespace {

// The file each input is written to, removed when the run ends.
struct Scratch {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("nodalux-fuzz-" + std::to_string(::getpid()) + ".csv");
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

const std::filesystem::path& ScratchFile() {
  static const Scratch scratch;
  return scratch.path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Message boxes take their default answer; the transcript goes nowhere.
  static const std::unique_ptr<zarv::platform::Transcript> nowhere =
      zarv::platform::Transcript::FromEnvironment();
  zarv::SetPlatform(zarv::platform::CreateHeadlessPlatform({}, *nowhere));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::int32_t preloaded = size % 7 == 0 ? nodalux::MAX_POI - 3 : 0;
  nodalux::testing::FuzzReadCsv(std::span(data, size), ScratchFile(), preloaded);
  nodalux::testing::FuzzCsvReader(data, size);
  nodalux::fuzz::AbortOnFailedAssertion();
  return 0;
}
