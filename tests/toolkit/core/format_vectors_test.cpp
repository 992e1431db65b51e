// Formatted output against the vectors gfortran wrote: every (value, format)
// pair must come out character for character the same.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <sstream>

#include "tests/toolkit/core/golden_file.h"
#include "toolkit/core/fortran_io.h"

namespace {

std::vector<std::string> Words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

TEST(FormatVectors, MatchGfortranForEveryValueAndFormat) {
  const auto lines = golden::Lines("format_vectors.txt");
  ASSERT_GT(lines.size(), 500u) << "missing " << golden::Path("format_vectors.txt");
  std::string kind;
  std::vector<std::string> formats;
  int compared = 0, failed = 0;
  for (const auto& line : lines) {
    if (line.rfind("#R8", 0) == 0 || line.rfind("#R4", 0) == 0 || line.rfind("#I", 0) == 0) {
      formats = Words(line);
      kind = formats.front();
      formats.erase(formats.begin());
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    const auto fields = golden::Fields(line);
    ASSERT_EQ(fields.size(), formats.size() + 2) << line;
    for (std::size_t i = 0; i < formats.size(); ++i) {
      const std::string format = "(" + formats[i] + ")";
      std::optional<std::string> got;
      std::string value_text = fields[0];
      if (kind == "#R8") {
        const double v = std::bit_cast<double>(std::stoull(fields[0], nullptr, 16));
        got = zarv::fortran::WriteReal(v, format);
      } else if (kind == "#R4") {
        const float v = std::bit_cast<float>(static_cast<std::uint32_t>(std::stoul(fields[0], nullptr, 16)));
        got = zarv::fortran::WriteReal(v, format, true);
      } else {
        got = zarv::fortran::WriteInteger(std::stoll(fields[0]), format);
      }
      const std::string want = fields[i + 1];
      const std::string have = got ? *got : "!";
      ++compared;
      if (have != want && ++failed <= 40)
        ADD_FAILURE() << kind << " " << value_text << " " << format << ": gfortran \"" << want
                      << "\", we \"" << have << "\"";
    }
  }
  EXPECT_EQ(failed, 0) << "of " << compared;
  EXPECT_GE(compared, 10000);
}

}  // namespace
