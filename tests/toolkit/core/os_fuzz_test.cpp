// Drives the fuzz entry points over random inputs built from sound ones.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/toolkit/core/os_fuzz_targets.h"
#include "tests/toolkit/core/os_test_support.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/text.h"

namespace zarv {
namespace {

int Feed(int (*target)(const std::uint8_t*, std::size_t), const std::string& bytes) {
  return target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// A few ways to damage a sound input.
std::string Mutate(std::string s, std::mt19937& rng) {
  if (s.empty()) return std::string(1 + rng() % 64, static_cast<char>(rng()));
  switch (rng() % 4) {
    case 0:  // flip a few bytes
      for (int i = 0, n = 1 + static_cast<int>(rng() % 16); i < n; ++i) s[rng() % s.size()] ^= static_cast<char>(1 + rng() % 255);
      break;
    case 1:  // cut it short
      s.resize(rng() % s.size());
      break;
    case 2: {  // overwrite a run with noise
      const std::size_t at = rng() % s.size();
      for (std::size_t i = at; i < std::min(s.size(), at + 1 + rng() % 512); ++i) s[i] = static_cast<char>(rng());
      break;
    }
    default:  // zero a page-sized block
      std::fill(s.begin() + static_cast<long>(rng() % s.size()), s.end(), '\0');
      break;
  }
  return s;
}

TEST(FuzzTest, RegistryStoreSurvivesDamagedFiles) {
  test::TempDir dir;
  std::string sound;
  {
    test::ScopedEnv env("ZARVREGISTRY", dir / "seed.sqlite");
    IOsRegistryPut("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvath\\Nodalux", Text<256>("/home/u/a.ov2"), "input_file");
    IOsRegistryPut("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvath\\Nodalux", Text<64>("51N 0W 25"), "circle");
    IOsRegistryPut("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvath\\Nodalux", std::string(5000, 'x'), "big", 3);
    // Close the log into the main file so the seed is complete on its own.
    IOsRegistryGet("HKEY_LOCAL_MACHINE\\SOFTWARE", nullptr);
    sound = test::ReadFile(dir / "seed.sqlite");
  }
  ASSERT_GT(sound.size(), 1000u);
  std::mt19937 rng(2024);
  Feed(fuzz::RegistryStoreFile, sound);
  Feed(fuzz::RegistryStoreFile, "");
  for (int i = 0; i < 300; ++i) Feed(fuzz::RegistryStoreFile, Mutate(sound, rng));
}

TEST(FuzzTest, CommandLineSplittersTakeAnyBytes) {
  const std::vector<std::string> seeds = {
      "\"C:\\Program Files\\MakeOV2_v1-1.exe\" \"in file.tmp\" out.ov2",
      R"(a\\\"b "c d" e\\ "" """ x)",
      std::string(1024, '"'),
      std::string("nul\0inside \"q\0\"", 16),
  };
  std::mt19937 rng(99);
  for (const std::string& s : seeds) Feed(fuzz::CommandLine, s);
  const std::string alphabet = "ab \t\"\\\\\"";
  for (int i = 0; i < 20000; ++i) {
    std::string s;
    if (i % 2 == 0) {
      s = Mutate(seeds[rng() % seeds.size()], rng);
    } else {
      for (std::size_t n = rng() % 40; n > 0; --n) s += alphabet[rng() % alphabet.size()];
    }
    Feed(fuzz::CommandLine, s);
  }
}

}  // namespace
}  // namespace zarv
