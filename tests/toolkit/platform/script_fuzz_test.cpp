#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int RunScript(const std::string& s) {
  return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

const char kSeed[] =
    "# seed\nmenu 40002\nfile \"/tmp/a b.csv\" 2\nbox 1\ndialog 7\ntype 1 \"x\\ty\\xC3\\xA9!\"\n"
    "type 2 abcdef\npick 3 2\npick 7 1\nfocus 2\ntab\ntab\nenter\npress 5\npress 4\nclear 1\n"
    "esc\nexpose\nexpose 1 2 3 4\nresize 10 10\nminimize\nrestore\ndialog 7\nmenu 1\nfile cancel\n"
    "closebox\nclose\n";

TEST(ScriptFuzz, SeedAndEdgeInputs) {
  for (const std::string& s : {std::string(kSeed), std::string(), std::string("\n\n\r\n"),
                              std::string(1, '\0'), std::string("\"\\"), std::string(10000, '"'),
                              std::string("dialog 7\n") + std::string(2000, '\t') + "tab\n"}) {
    EXPECT_EQ(RunScript(s), 0);
  }
}

TEST(ScriptFuzz, RandomAndMutatedScripts) {
  std::mt19937 rng(20240607);
  const std::string seed = kSeed;
  const std::string alphabet = "menu close expose resize box file dialog type pick tab \"\\x0123 -\n#";
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
  for (int i = 0; i < 20000; ++i) {
    std::string s;
    switch (i % 3) {
      case 0:  // random bytes
        for (std::size_t n = pick(200); n > 0; --n) s += static_cast<char>(pick(256));
        break;
      case 1:  // random tokens of the script's own words
        for (std::size_t n = pick(300); n > 0; --n) s += alphabet[pick(alphabet.size())];
        break;
      default:  // the seed with bytes flipped, cut, doubled
        s = seed;
        for (std::size_t n = 1 + pick(8); n > 0; --n) {
          const std::size_t at = pick(s.size());
          switch (pick(3)) {
            case 0: s[at] = static_cast<char>(pick(256)); break;
            case 1: s.erase(at, pick(20)); break;
            default: s.insert(at, s.substr(pick(s.size()), pick(30))); break;
          }
          if (s.empty()) s = seed;
        }
    }
    ASSERT_EQ(RunScript(s), 0) << "input " << i;
  }
}

}  // namespace
