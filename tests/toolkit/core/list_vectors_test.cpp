// List-directed reads against what gfortran read from the same records.
// Each corpus line names an item list (see gfortran_vectors.f90); we run the
// same READ through ListReader and compare the iostat class and every item.
// The item on which an error is reported is not compared: its value after
// the error is undefined, and we leave it untouched.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>

#include "tests/toolkit/core/golden_file.h"
#include "toolkit/core/fortran_io.h"

namespace {

using zarv::fortran::ListReader;

std::string Hex8(float v) {
  char b[16];
  std::snprintf(b, sizeof b, "%08X", std::bit_cast<std::uint32_t>(v));
  return b;
}
std::string Hex16(double v) {
  char b[24];
  std::snprintf(b, sizeof b, "%016llX", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)));
  return b;
}

// Reads the items that `kind` names from `record`; returns the fields of a
// vector line: kind, iostat class, items ("" for the item that failed).
std::vector<std::string> Replay(char kind, const std::string& record) {
  std::string items;
  switch (kind) {
    case 'J': items = "i"; break;
    case 'S': items = "r"; break;
    case 'T': items = "d"; break;
    case 'K': items = "c"; break;
    case 'I': items = "iiiii"; break;
    case 'R': items = "rrrrr"; break;
    case 'D': items = "ddddd"; break;
    case 'C': items = "ccccc"; break;
    case 'M': items = "irdci"; break;
  }
  ListReader reader(record);
  int iostat = 0;
  std::vector<std::string> out{std::string(1, kind), ""};
  bool stopped = false;
  for (char item : items) {
    ListReader::Status status = ListReader::Status::kNull;
    int i = -777;
    float r = -777.0f;
    double d = -777.0;
    zarv::Text<6> c("@@@@@@");
    if (!stopped) {
      switch (item) {
        case 'i': status = reader.read(i); break;
        case 'r': status = reader.read(r); break;
        case 'd': status = reader.read(d); break;
        case 'c': status = reader.read(c.span()); break;
      }
      if (status == ListReader::Status::kSlash) stopped = true;
      if (status == ListReader::Status::kEnd) iostat = -1, stopped = true;
      if (status == ListReader::Status::kError) {
        iostat = 1;
        out.push_back("");
        stopped = true;
        continue;
      }
    }
    switch (item) {
      case 'i': out.push_back(std::to_string(i)); break;
      case 'r': out.push_back(Hex8(r)); break;
      case 'd': out.push_back(Hex16(d)); break;
      case 'c': {
        std::string shown(1, '[');
        shown.append(c.view()).push_back(']');
        out.push_back(shown);
        break;
      }
    }
  }
  out[1] = std::to_string(iostat);
  return out;
}

TEST(ListVectors, ReadLikeGfortranOnEveryRecord) {
  const auto records = golden::Lines("list_records.txt");
  const auto vectors = golden::Lines("list_vectors.txt");
  std::vector<std::string> corpus;
  for (const auto& line : records)
    if (!line.empty() && line[0] != '#') corpus.push_back(line);
  ASSERT_GT(corpus.size(), 200u);
  ASSERT_EQ(corpus.size(), vectors.size()) << "vectors out of date";
  int failed = 0;
  for (std::size_t n = 0; n < corpus.size(); ++n) {
    const std::size_t bar = corpus[n].find('|');
    // gfortran reads the line into a CHARACTER(256): the record is the rest
    // of it, blank-padded.
    std::string record = corpus[n].substr(bar + 1);
    record.resize(256 - (bar + 1), ' ');
    const auto got = Replay(corpus[n][0], record);
    const auto want = golden::Fields(vectors[n]);
    bool same = got.size() == want.size();
    for (std::size_t k = 0; same && k < got.size(); ++k)
      same = got[k].empty() || got[k] == want[k];
    if (!same && ++failed <= 40) {
      std::string g, w;
      for (const auto& f : got) g += f + "|";
      ADD_FAILURE() << "record \"" << corpus[n] << "\": gfortran " << vectors[n] << ", we " << g;
    }
  }
  EXPECT_EQ(failed, 0);
}

}  // namespace
