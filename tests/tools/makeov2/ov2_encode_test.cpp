// The OV2 encoder: exact bytes, and the skipper tree of a large file.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <span>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/tools/makeov2/makeov2_cpp.h"

namespace makeov2 {
namespace {

// A POI as these tests hold it: its name a view of the test's own string.
struct Ov2Record {
  std::int32_t longitude = 0;
  std::int32_t latitude = 0;
  std::string_view name;
};

// The converter's encoder on `pois`, which it puts in the order the file
// holds them.
std::optional<std::string> EncodeOv2(std::vector<Ov2Record>& pois) {
  std::vector<mkov2_record> records;
  for (const Ov2Record& poi : pois) records.push_back(Record(poi.longitude, poi.latitude, poi.name));
  auto bytes = Encode(records);
  for (std::size_t i = 0; i < pois.size(); ++i) {
    pois[i] = {records[i].longitude, records[i].latitude, NameOf(records[i])};
  }
  return bytes;
}

TEST(Ov2Encode, SmallFileIsOneSkipperAndItsRecords) {
  std::vector<Ov2Record> two = {{-12345, 5150000, "Kew"}, {10000, 5160000, "A"}};
  const auto bytes = EncodeOv2(two);
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
  std::vector<Ov2Record> none;
  EXPECT_EQ(EncodeOv2(none), std::string());
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
Bounds CheckBlock(const std::string& b, std::size_t at, std::vector<Ov2Record>& found, int& leaves) {
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
      Ov2Record poi{Int32At(b, pos + 5), Int32At(b, pos + 9), std::string_view(b).substr(pos + 13, length - 14)};
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

TEST(Ov2Encode, LargeFileSkippersCoverTheirBlocksExactly) {
  std::mt19937 random(7);
  std::vector<std::string> names;
  for (int i = 0; i < 2500; ++i) names.push_back("P" + std::to_string(i));
  std::vector<Ov2Record> pois;
  for (int i = 0; i < 2500; ++i) {
    pois.push_back({static_cast<std::int32_t>(random() % 36000001) - 18000000,
                    static_cast<std::int32_t>(random() % 1000000) + 5000000, names[static_cast<std::size_t>(i)]});
  }
  pois.push_back(pois[10]);  // duplicates must survive
  const auto bytes = EncodeOv2(pois);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(static_cast<std::size_t>(Int32At(*bytes, 1)), bytes->size());
  std::vector<Ov2Record> found;
  int leaves = 0;
  CheckBlock(*bytes, 0, found, leaves);
  EXPECT_GE(leaves, 2501 / static_cast<int>(kPoiPerLeaf));
  const auto key = [](const Ov2Record& p) { return std::tie(p.name, p.longitude, p.latitude); };
  const auto less = [&](const Ov2Record& a, const Ov2Record& b) { return key(a) < key(b); };
  std::sort(found.begin(), found.end(), less);
  std::sort(pois.begin(), pois.end(), less);
  ASSERT_EQ(found.size(), pois.size());
  for (std::size_t i = 0; i < pois.size(); ++i) EXPECT_EQ(key(found[i]), key(pois[i]));
}

// The files devices have been given must not change with the encoder's
// speed: the same skippers and records in the same order as halving by a
// stable sort along the wider side gives them.
std::string ReferenceFile(std::vector<Ov2Record> pois) {
  std::string out;
  const auto put = [&out](std::int32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> shift) & 0xFF));
  };
  const auto block = [&](auto& self, std::span<Ov2Record> part) -> void {
    std::int32_t east = INT32_MIN, north = INT32_MIN, west = INT32_MAX, south = INT32_MAX;
    for (const Ov2Record& p : part) {
      east = std::max(east, p.longitude), west = std::min(west, p.longitude);
      north = std::max(north, p.latitude), south = std::min(south, p.latitude);
    }
    const std::size_t start = out.size();
    out.push_back('\x01');
    put(0), put(east), put(north), put(west), put(south);
    if (part.size() <= kPoiPerLeaf) {
      for (const Ov2Record& p : part) {
        out.push_back('\x02');
        put(static_cast<std::int32_t>(14 + p.name.size())), put(p.longitude), put(p.latitude);
        out.append(p.name).push_back('\0');
      }
    } else {
      if (std::int64_t{east} - west >= std::int64_t{north} - south) {
        std::stable_sort(part.begin(), part.end(), [](auto& a, auto& b) { return a.longitude < b.longitude; });
      } else {
        std::stable_sort(part.begin(), part.end(), [](auto& a, auto& b) { return a.latitude < b.latitude; });
      }
      self(self, part.first(part.size() / 2));
      self(self, part.subspan(part.size() / 2));
    }
    const auto size = static_cast<std::int32_t>(out.size() - start);
    for (int i = 0; i < 4; ++i) out[start + 1 + i] = static_cast<char>((static_cast<std::uint32_t>(size) >> (8 * i)) & 0xFF);
  };
  if (!pois.empty()) block(block, pois);
  return out;
}

TEST(Ov2Encode, SameBytesAsHalvingByAStableSort) {
  std::mt19937 random(11);
  std::vector<std::string> names;
  for (int i = 0; i < 5000; ++i) names.push_back("P" + std::to_string(i));
  // Sets of every size near a leaf's and a few large ones; spreads from one
  // value (every key ties, so only the input order tells) to the full range,
  // and columns and rows of POI (one key ties, the other decides).
  enum Shape { kSquare, kColumn, kRow };
  for (const std::size_t count : {1u, 2u, 12u, 13u, 24u, 25u, 26u, 33u, 50u, 51u, 64u, 65u, 700u, 3478u, 5000u}) {
    for (const std::int32_t spread : {1, 3, 40, 1000000, 2147483647}) {
      for (const Shape shape : {kSquare, kColumn, kRow}) {
        const auto coordinate = [&] {
          return static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(spread)) - spread / 2;
        };
        const std::int32_t fixed = coordinate();
        std::vector<Ov2Record> pois;
        for (std::size_t i = 0; i < count; ++i) {
          const std::int32_t lon = shape == kColumn ? fixed : coordinate();
          const std::int32_t lat = shape == kRow ? fixed / 2 : coordinate() / 2;
          pois.push_back({lon, lat, names[i]});
        }
        // The extremes of the 32-bit range sort where they belong.
        if (count > 2 && spread == 2147483647) {
          pois[0].longitude = INT32_MIN, pois[1].latitude = INT32_MAX;
        }
        SCOPED_TRACE(std::to_string(count) + " POI spread over " + std::to_string(spread) + ", shape " +
                     std::to_string(shape));
        const std::string expected = ReferenceFile(pois);
        std::vector<Ov2Record> reordered = pois;
        const auto bytes = EncodeOv2(reordered);
        ASSERT_TRUE(bytes);
        ASSERT_EQ(*bytes, expected);
        // The caller's records come back in the order the file holds them.
        std::vector<Ov2Record> found;
        int leaves = 0;
        CheckBlock(*bytes, 0, found, leaves);
        ASSERT_EQ(found.size(), reordered.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
          ASSERT_EQ(found[i].name, reordered[i].name);
        }
      }
    }
  }
}

}  // namespace
}  // namespace makeov2
