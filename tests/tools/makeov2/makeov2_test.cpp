// The converter: line parsing, exact bytes, the skipper tree of a large
// file, bad lines and exit codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

#include "tests/app/ov2subs/temp_dir.h"
#include "tools/makeov2/converter.h"
#include "tools/makeov2/ov2_encoder.h"
#include "tools/makeov2/temp_line.h"

namespace makeov2 {
namespace {

namespace fs = std::filesystem;
using Kind = ParsedLine::Kind;

TEST(MakeOv2Line, Kinds) {
  struct Row {
    std::string line;
    Kind kind;
    std::int32_t lon = 0, lat = 0;
    std::string name_or_error;
  };
  const std::vector<Row> rows = {
      {"", Kind::kSkip},
      {"   \t\r", Kind::kSkip},
      {";* Created by Nodalux\r", Kind::kSkip},
      {"  ;comment", Kind::kSkip},
      {"Longitude,Latitude,Name", Kind::kSkip},
      {"  -0.12345,  51.50000,\"Kew\"\r", Kind::kRecord, -12345, 5150000, "Kew"},
      {"-0.12345,51.5,\"Kew\"", Kind::kRecord, -12345, 5150000, "Kew"},
      {"1e-5,+2,\"\"", Kind::kRecord, 1, 200000, ""},
      {"180,-90,\"A, \"b\" c\"  ", Kind::kRecord, 18000000, -9000000, "A, \"b\" c"},
      {"0.000005,-0.000005,\"r\"", Kind::kRecord, 1, -1, "r"},
      {"1,2", Kind::kBad, 0, 0, "expected longitude, latitude and a name"},
      {"1,2, Kew Gardens \r", Kind::kRecord, 100000, 200000, "Kew Gardens"},
      {"1,2,  ", Kind::kBad, 0, 0, "the name is missing"},
      {"1,2,\"Kew", Kind::kBad, 0, 0, "the name has no closing double quote"},
      {"**********,2,\"x\"", Kind::kBad, 0, 0, "longitude is not a number"},
      {"1,nan,\"x\"", Kind::kBad, 0, 0, "latitude is not a number"},
      {"1,2 3,\"x\"", Kind::kBad, 0, 0, "latitude is not a number"},
      {"180.00001,0,\"x\"", Kind::kBad, 0, 0, "longitude is outside -180..180"},
      {"0,-91,\"x\"", Kind::kBad, 0, 0, "latitude is outside -90..90"},
      {std::string("0,0,\"a\0b\"", 9), Kind::kBad, 0, 0, "the name contains a NUL byte"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const ParsedLine parsed = ParseTempLine(row.line);
    ASSERT_EQ(parsed.kind, row.kind);
    if (row.kind == Kind::kRecord) {
      EXPECT_EQ(parsed.poi.longitude, row.lon);
      EXPECT_EQ(parsed.poi.latitude, row.lat);
      EXPECT_EQ(parsed.poi.name, row.name_or_error);
    } else if (row.kind == Kind::kBad) {
      EXPECT_EQ(parsed.error, row.name_or_error);
    }
  }
}

TEST(MakeOv2Encode, SmallFileIsOneSkipperAndItsRecords) {
  const auto bytes = EncodeOv2({{-12345, 5150000, "Kew"}, {10000, 5160000, "A"}});
  ASSERT_TRUE(bytes);
  const std::string expected(
      "\x01\x35\x00\x00\x00"                          // skipper, 53 bytes in all
      "\x10\x27\x00\x00" "\x40\xbc\x4e\x00"           // east 10000, north 5160000
      "\xc7\xcf\xff\xff" "\x30\x95\x4e\x00"           // west -12345, south 5150000
      "\x02\x11\x00\x00\x00"                          // POI, 17 bytes
      "\xc7\xcf\xff\xff" "\x30\x95\x4e\x00" "Kew\x00"
      "\x02\x0f\x00\x00\x00"                          // POI, 15 bytes
      "\x10\x27\x00\x00" "\x40\xbc\x4e\x00" "A\x00",
      53);
  EXPECT_EQ(*bytes, expected);
  EXPECT_EQ(EncodeOv2({}), std::string());
}

std::int32_t Int32At(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return static_cast<std::int32_t>(v);
}

struct Bounds {
  std::int32_t east, north, west, south;
  bool operator==(const Bounds&) const = default;
};

// Walks one skipper block and checks it against what it covers; returns the
// bounds of the POI found and appends them to `found`.
Bounds CheckBlock(const std::string& b, std::size_t at, std::vector<Ov2Poi>& found, int& leaves) {
  EXPECT_EQ(b[at], '\x01');
  const std::size_t end = at + static_cast<std::size_t>(Int32At(b, at + 1));
  const Bounds claimed{Int32At(b, at + 5), Int32At(b, at + 9), Int32At(b, at + 13), Int32At(b, at + 17)};
  Bounds seen{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  std::size_t pos = at + 21;
  std::size_t poi_here = 0;
  bool has_children = false;
  while (pos < end) {
    if (b[pos] == '\x01') {
      has_children = true;
      const Bounds child = CheckBlock(b, pos, found, leaves);
      seen = {std::max(seen.east, child.east), std::max(seen.north, child.north),
              std::min(seen.west, child.west), std::min(seen.south, child.south)};
      pos += static_cast<std::size_t>(Int32At(b, pos + 1));
    } else {
      EXPECT_EQ(b[pos], '\x02');
      const std::int32_t length = Int32At(b, pos + 1);
      Ov2Poi poi{Int32At(b, pos + 5), Int32At(b, pos + 9), b.substr(pos + 13, length - 14)};
      EXPECT_EQ(b[pos + length - 1], '\0');
      seen = {std::max(seen.east, poi.longitude), std::max(seen.north, poi.latitude),
              std::min(seen.west, poi.longitude), std::min(seen.south, poi.latitude)};
      found.push_back(poi);
      ++poi_here;
      pos += static_cast<std::size_t>(length);
    }
  }
  EXPECT_EQ(pos, end) << "block at " << at << " does not end at its size";
  EXPECT_TRUE(poi_here == 0 || !has_children) << "block at " << at << " mixes POI and blocks";
  if (!has_children) {
    ++leaves;
    EXPECT_LE(poi_here, kPoiPerLeaf);
  }
  EXPECT_EQ(claimed, seen) << "bounds of block at " << at;
  return seen;
}

TEST(MakeOv2Encode, LargeFileSkippersCoverTheirBlocksExactly) {
  std::mt19937 random(7);
  std::vector<Ov2Poi> pois;
  for (int i = 0; i < 2500; ++i) {
    pois.push_back({static_cast<std::int32_t>(random() % 36000001) - 18000000,
                    static_cast<std::int32_t>(random() % 1000000) + 5000000, "P" + std::to_string(i)});
  }
  pois.push_back(pois[10]);  // duplicates must survive
  const auto bytes = EncodeOv2(pois);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(static_cast<std::size_t>(Int32At(*bytes, 1)), bytes->size());
  std::vector<Ov2Poi> found;
  int leaves = 0;
  CheckBlock(*bytes, 0, found, leaves);
  EXPECT_GE(leaves, 2501 / static_cast<int>(kPoiPerLeaf));
  const auto key = [](const Ov2Poi& p) { return std::tie(p.name, p.longitude, p.latitude); };
  const auto less = [&](const Ov2Poi& a, const Ov2Poi& b) { return key(a) < key(b); };
  std::sort(found.begin(), found.end(), less);
  std::sort(pois.begin(), pois.end(), less);
  ASSERT_EQ(found.size(), pois.size());
  for (std::size_t i = 0; i < pois.size(); ++i) EXPECT_EQ(key(found[i]), key(pois[i]));
}

TEST(MakeOv2Convert, BadLinesAreNamedAndSkipped) {
  ov2test::ScratchDir dir("makeov2_bad");
  std::ostringstream errors;
  const int code = ConvertText("in.tmp",
                               ";* header\r\n"
                               "  1.00000,  2.00000,\"ok\"\r\n"
                               "garbage\r\n"
                               "  1.00000,  95.00000,\"far\"\r\n"
                               "  3.00000,  4.00000,\"ok too\"",
                               "out.ov2", errors);
  EXPECT_EQ(code, kOk);
  EXPECT_EQ(errors.str(),
            "makeov2: in.tmp line 3: expected longitude, latitude and a name\n"
            "makeov2: in.tmp line 4: latitude is outside -90..90\n");
  EXPECT_EQ(ov2test::ReadFile("out.ov2").size(), 21u + 16u + 20u);
}

TEST(MakeOv2Convert, NothingUsableFailsAndLeavesTheOldFile) {
  ov2test::ScratchDir dir("makeov2_fail");
  ov2test::WriteFile("out.ov2", "old");
  for (const std::string input : {"", ";* only comments\r\n", "bad\r\n"}) {
    std::ostringstream errors;
    EXPECT_EQ(ConvertText("in.tmp", input, "out.ov2", errors), kFailed);
    EXPECT_NE(errors.str().find("makeov2: in.tmp: no POI record to write"), std::string::npos);
  }
  EXPECT_EQ(ov2test::ReadFile("out.ov2"), "old");
  std::ostringstream errors;
  EXPECT_EQ(ConvertText("in.tmp", "1,2,\"x\"", "no/such/folder/out.ov2", errors), kFailed);
  EXPECT_NE(errors.str().find("makeov2: cannot create a file beside no/such/folder/out.ov2"),
            std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

// The installed program itself: arguments and exit status.
TEST(MakeOv2Program, ExitStatus) {
  ov2test::ScratchDir dir("makeov2_exe");
  ov2test::WriteFile("in.tmp", "  1.00000,  2.00000,\"x\"\r\n");
  const std::string exe = MAKEOV2_EXE;
  const auto run = [&](const std::string& args) {
    const int status = std::system((exe + " " + args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run(""), kUsage);
  EXPECT_EQ(run("in.tmp"), kUsage);
  EXPECT_EQ(run("missing.tmp out.ov2"), kFailed);
  EXPECT_FALSE(fs::exists("out.ov2"));
  EXPECT_EQ(run("in.tmp 'my out.ov2'"), kOk);
  EXPECT_EQ(fs::file_size("my out.ov2"), 21u + 15u);
}

}  // namespace
}  // namespace makeov2
