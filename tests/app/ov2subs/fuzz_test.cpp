// Runs the fuzz entry points over random bytes, mutations of valid inputs,
// and every truncation of them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/app/ov2subs/fuzz_ov2.h"
#include "tests/app/ov2subs/ov2_bytes.h"

namespace ov2test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Mutate(Bytes input, std::mt19937& random) {
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits; ++e) {
    const std::size_t at = input.empty() ? 0 : random() % input.size();
    switch (random() % 4) {
      case 0:
        if (!input.empty()) input[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        break;
      case 1:
        if (!input.empty()) input[at] = static_cast<std::uint8_t>(random());
        break;
      case 2:
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(random()));
        break;
      default:
        if (!input.empty()) input.erase(input.begin() + static_cast<std::ptrdiff_t>(at));
    }
  }
  return input;
}

template <typename Target>
void Exercise(Target target, const std::vector<Bytes>& seeds, int rounds) {
  std::mt19937 random(2024);
  for (const Bytes& seed : seeds) {
    for (std::size_t cut = 0; cut <= seed.size(); ++cut) {
      target(seed.data(), cut);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
  for (int i = 0; i < rounds; ++i) {
    Bytes input;
    if (i % 3 == 0) {
      input.resize(random() % 200);
      for (auto& b : input) b = static_cast<std::uint8_t>(random());
    } else {
      input = Mutate(seeds[random() % seeds.size()], random);
    }
    target(input.data(), input.size());
    if (::testing::Test::HasFatalFailure()) {
      ADD_FAILURE() << "round " << i;
      return;
    }
  }
}

TEST(Ov2Fuzz, Reader) {
  const std::string nul(1, '\0');
  std::vector<Bytes> seeds = {
      Ov2Bytes().skipper(99, 1, 1, 0, 0).poi(-12345, 5150000, "Kew" + nul).deleted(6, "x")
          .poi(1, 2, "Ext" + nul + "id" + nul, 3).bytes(),
      Ov2Bytes().poi(1, 1, std::string(200, 'n') + nul).poi_with_length(2, 13, 0, 0, "").bytes(),
  };
  Exercise(FuzzReadOv2, seeds, 20000);
}

TEST(Ov2Fuzz, ConverterLineParser) {
  const auto line = [](std::string s) { return Bytes(s.begin(), s.end()); };
  std::vector<Bytes> seeds = {
      line("  -0.12345,  51.50000,\"Kew\"\r"),
      line("180,-90,\"A, \"b\" c\""),
      line(";* Created by Nodalux"),
      line("1e-5,+2.5E1,\"" + std::string(150, 'q') + "\""),
  };
  Exercise(FuzzMakeOv2Line, seeds, 50000);
}

}  // namespace
}  // namespace ov2test
