// The resource script is read at every start; a damaged one must give a
// message, never a crash. Mutations of the program's own script and random
// texts are fed to the parser.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "toolkit/core/resource_script.h"

namespace {

std::string OwnScript() {
  std::ifstream in(std::string(NODALUX_SOURCE_DIR) + "/resources/nodalux.rc");
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::optional<std::string> SomeFile(std::string_view name) {
  if (name.size() % 3 == 0) return std::nullopt;  // some files are "missing"
  return std::string(name);
}

void Parse(const std::string& text) {
  const auto result = zarv::ParseResourceScript(text, SomeFile);
  if (!result.resources) {
    EXPECT_EQ(result.error.rfind("line ", 0), 0u) << result.error;
  }
}

TEST(ResourceScriptFuzz, MutatedAndRandomScriptsNeverCrash) {
  const std::string own = OwnScript();
  ASSERT_FALSE(own.empty());
  std::mt19937 rng(20261208);
  const std::string alphabet = "BEGINDMUTXPOS{}\",|0123456789 \n\t/*-LCAHR_";
  for (int round = 0; round < 3000; ++round) {
    std::string text = own;
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = rng() % (text.size() + 1);
      switch (rng() % 4) {
        case 0: text.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
        case 1: if (at < text.size()) text.erase(at, 1 + rng() % 16); break;
        case 2: if (at < text.size()) text[at] = static_cast<char>(rng() % 256); break;
        default: text.resize(at); break;
      }
    }
    Parse(text);
  }
  for (int round = 0; round < 2000; ++round) {
    std::string text(rng() % 200, ' ');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    Parse(text);
  }
}

}  // namespace
