// libFuzzer driver for the GPX reader's fuzz entry point. Not part of the
// normal build; with clang:
//
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     tests/app/formats/gpx/gpx_libfuzzer.cpp tests/app/formats/gpx/gpx_fuzz.cpp \
//     app/formats/gpx/*.cpp app/formats/encoding/*.cpp -lexpat -o gpx_libfuzzer
//   ./gpx_libfuzzer -max_len=4096 -dict=tests/app/formats/gpx/gpx.dict CORPUS tests/app/formats/gpx/corpus
#include <cstdio>
#include <cstdlib>

#include "tests/app/formats/gpx/gpx_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (const auto broken = nodalux::gpx::testing::FuzzReadGpx({data, size})) {
    std::fprintf(stderr, "GPX reader: %s\n", broken->c_str());
    std::abort();
  }
  return 0;
}
