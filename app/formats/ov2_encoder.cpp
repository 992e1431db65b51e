#include "app/formats/ov2_encoder.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "app/formats/ov2_layout.h"

namespace nodalux::formats {
namespace {

void PutInt32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

void PatchInt32(std::string& out, std::size_t at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

struct Box {
  std::int32_t east = std::numeric_limits<std::int32_t>::min();
  std::int32_t north = std::numeric_limits<std::int32_t>::min();
  std::int32_t west = std::numeric_limits<std::int32_t>::max();
  std::int32_t south = std::numeric_limits<std::int32_t>::max();

  void add(const Ov2Record& poi) {
    east = std::max(east, poi.longitude);
    west = std::min(west, poi.longitude);
    north = std::max(north, poi.latitude);
    south = std::min(south, poi.latitude);
  }
};

class Encoder {
 public:
  explicit Encoder(std::string& out) : out_(out) {}

  // Writes one skipper and the block it covers; false when a size overflows.
  bool block(std::span<Ov2Record> pois) {
    Box box;
    for (const Ov2Record& poi : pois) box.add(poi);

    const std::size_t start = out_.size();
    out_.push_back(static_cast<char>(ov2::kSkipper));
    PutInt32(out_, 0);  // size, patched below
    PutInt32(out_, box.east);
    PutInt32(out_, box.north);
    PutInt32(out_, box.west);
    PutInt32(out_, box.south);

    if (pois.size() <= kPoiPerLeaf) {
      for (const Ov2Record& poi : pois) {
        if (!record(poi)) return false;
      }
    } else {
      split(pois, box);
      const std::size_t half = pois.size() / 2;
      if (!block(pois.first(half)) || !block(pois.subspan(half))) return false;
    }
    const std::size_t size = out_.size() - start;
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
    PatchInt32(out_, start + 1, static_cast<std::int32_t>(size));
    return true;
  }

 private:
  // Orders the POI along the box's wider side, so that each half is compact.
  static void split(std::span<Ov2Record> pois, const Box& box) {
    const std::int64_t width = std::int64_t{box.east} - box.west;
    const std::int64_t height = std::int64_t{box.north} - box.south;
    if (width >= height) {
      std::stable_sort(pois.begin(), pois.end(),
                       [](const Ov2Record& a, const Ov2Record& b) { return a.longitude < b.longitude; });
    } else {
      std::stable_sort(pois.begin(), pois.end(),
                       [](const Ov2Record& a, const Ov2Record& b) { return a.latitude < b.latitude; });
    }
  }

  bool record(const Ov2Record& poi) {
    const std::size_t length = ov2::kPoiHeader + poi.name.size() + 1;
    if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
    out_.push_back(static_cast<char>(ov2::kPoi));
    PutInt32(out_, static_cast<std::int32_t>(length));
    PutInt32(out_, poi.longitude);
    PutInt32(out_, poi.latitude);
    out_.append(poi.name);
    out_.push_back('\0');
    return true;
  }

  std::string& out_;
};

}  // namespace

std::optional<std::string> EncodeOv2(std::span<Ov2Record> pois) {
  std::string out;
  if (pois.empty()) return out;
  if (!Encoder(out).block(pois)) return std::nullopt;
  return out;
}

}  // namespace nodalux::formats
