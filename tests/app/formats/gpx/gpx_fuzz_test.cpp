// Replays the GPX fuzz entry point over the saved corpus, every truncation
// of each file, and mutations of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "tests/app/formats/gpx/gpx_fuzz.h"

namespace nodalux::gpx::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> Corpus() {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(GPX_CORPUS_DIR)) {
    paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<Bytes> corpus;
  for (const auto& path : paths) {
    std::ifstream file(path, std::ios::binary);
    corpus.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  return corpus;
}

void Check(const Bytes& input) {
  if (const auto broken = FuzzReadGpx(input)) {
    FAIL() << *broken << "\ninput: "
           << ::testing::PrintToString(std::string(input.begin(), input.end()));
  }
}

const std::string kTokens[] = {"<wpt lat='1' lon='2'>", "</wpt>", "<name>", "</name>",
                               "<!DOCTYPE x>", "&amp;", "&#0;", "<![CDATA[", "]]>",
                               "<rtept lat='-1e-5' lon='180'/>", "<a>", "</a>", "\xC3", "\x80",
                               " lat='91'", "<?xml version='1.0' encoding='windows-1252'?>"};

Bytes Mutate(Bytes input, std::mt19937& random) {
  for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits) {
    const std::size_t at = input.empty() ? 0 : random() % (input.size() + 1);
    switch (random() % 4) {
      case 0:
        if (at < input.size()) input[at] = static_cast<std::uint8_t>(random());
        break;
      case 1:
        if (at < input.size()) input.erase(input.begin() + static_cast<std::ptrdiff_t>(at),
                                           input.begin() + static_cast<std::ptrdiff_t>(
                                               std::min(input.size(), at + 1 + random() % 16)));
        break;
      default: {
        const std::string& token = kTokens[random() % std::size(kTokens)];
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), token.begin(), token.end());
      }
    }
  }
  return input;
}

TEST(GpxFuzz, CorpusAndEveryTruncation) {
  const std::vector<Bytes> corpus = Corpus();
  ASSERT_GE(corpus.size(), 8u);
  for (const Bytes& seed : corpus) {
    for (std::size_t cut = 0; cut <= seed.size(); ++cut) {
      Check(Bytes(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(cut)));
      if (HasFatalFailure()) return;
    }
  }
}

TEST(GpxFuzz, Mutations) {
  const std::vector<Bytes> corpus = Corpus();
  std::mt19937 random(2025);
  for (int round = 0; round < 6000; ++round) {
    Check(Mutate(corpus[random() % corpus.size()], random));
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace nodalux::gpx::testing
