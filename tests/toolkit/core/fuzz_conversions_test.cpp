// Runs the fuzz entry points over random bytes and over mutations of inputs
// that reach deep into the parsers. A crash or a broken invariant fails the
// run; under -fsanitize=address,undefined so does any memory fault.
// With file arguments, replays those files instead (saved fuzzer findings).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/toolkit/core/fuzz_conversions.h"

namespace {

using Entry = int (*)(const uint8_t*, size_t);

const std::vector<std::string> kSeeds = {
    "\x03" "1 2.5 3*'a''b' ,, 4*  / x",
    "\x01" "1.5e+3 .5 5. 1.5-3 inf -NaN(x_1) 2*1d-400",
    "\x02" "'unterminated \"q\" 9999999999*1 0*2 1e99999999999999999",
    "  -1.5-100 1,2.3",
    "1.5D3 2147483648 -0.1500-100 4x2",
    std::string(8, '\x40') + "(G15.5E2)",
    std::string(8, '\x7f') + "( e n 12 . 4 e 3 )",
    std::string("\x00\x00\x00\x00\x00\x00\xf0\x7f", 8) + "(F0.3)",
};

void RunMany(Entry entry, const char* name) {
  std::mt19937 random(20260815);
  for (int n = 0; n < 10000; ++n) {
    std::string input;
    if (n % 3 == 0) {
      const std::size_t length = random() % 64;
      for (std::size_t i = 0; i < length; ++i) input.push_back(static_cast<char>(random()));
    } else {
      input = kSeeds[random() % kSeeds.size()];
      for (int edits = 1 + random() % 6; edits > 0 && !input.empty(); --edits) {
        const std::size_t at = random() % input.size();
        switch (random() % 4) {
          case 0: input[at] = static_cast<char>(random()); break;
          case 1: input.erase(at, 1 + random() % 4); break;
          case 2: input.insert(at, 1, "0123456789+-.eEdD*/,'\" \t("[random() % 26]); break;
          default: input.resize(at); break;
        }
      }
    }
    SCOPED_TRACE(std::string(name) + " input " + std::to_string(n));
    entry(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  }
}

TEST(Fuzz, ListReaderSurvivesRandomAndMutatedRecords) { RunMany(FuzzListReader, "list"); }
TEST(Fuzz, TextToNumberSurvivesRandomAndMutatedText) { RunMany(FuzzTextToNumber, "number"); }
TEST(Fuzz, FormatterSurvivesRandomValuesAndFormats) { RunMany(FuzzFormat, "format"); }

}  // namespace

// Replays saved inputs when given files; runs the tests otherwise.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc > 1) {
    for (int i = 1; i < argc; ++i) {
      std::ifstream in(argv[i], std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), {}};
      const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
      FuzzListReader(data, bytes.size());
      FuzzTextToNumber(data, bytes.size());
      FuzzFormat(data, bytes.size());
    }
    return 0;
  }
  return RUN_ALL_TESTS();
}
