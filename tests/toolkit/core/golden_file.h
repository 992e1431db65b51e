// Reading the reference vector files that gfortran wrote: "|"-separated
// lines, where the directory comes from NODALUX_GOLDEN_DIR when a live run
// regenerated them, else from the committed copies.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace golden {

inline std::string Path(const std::string& name) {
  if (const char* dir = std::getenv("NODALUX_GOLDEN_DIR"); dir && *dir) return std::string(dir) + "/" + name;
  return std::string(NODALUX_CONVERT_DATA) + "/" + name;
}

inline std::vector<std::string> Lines(const std::string& name) {
  std::ifstream in(Path(name));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Splits on "|"; a field keeps its blanks.
inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
    out.push_back(line.substr(start, bar - start));
  out.push_back(line.substr(start));
  return out;
}

}  // namespace golden
