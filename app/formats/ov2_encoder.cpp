#include "app/formats/ov2_encoder.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "app/formats/ov2_layout.h"

namespace nodalux::formats {
namespace {

void PutInt32(char* at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

// A POI as the encoder arranges it: its coordinates and where it stood.
struct Item {
  std::int32_t longitude;
  std::int32_t latitude;
  std::uint32_t index;  // in the caller's records
};

struct Box {
  std::int32_t east = std::numeric_limits<std::int32_t>::min();
  std::int32_t north = std::numeric_limits<std::int32_t>::min();
  std::int32_t west = std::numeric_limits<std::int32_t>::max();
  std::int32_t south = std::numeric_limits<std::int32_t>::max();

  void add(const Item& poi) {
    east = std::max(east, poi.longitude);
    west = std::min(west, poi.longitude);
    north = std::max(north, poi.latitude);
    south = std::min(south, poi.latitude);
  }
};

// The order of a block's POI. The file's layout is that of halving each
// block after a stable sort along its wider side, the halves then sorted
// again in turn. A stable sort by one key of POI ordered by others orders
// them by that key, then by the others, then by where they stood; with two
// keys only, that is at most two keys and the position. So each block's
// order is known without sorting it, and halving needs only to find which
// half each POI falls in.
struct Order {
  enum Key : std::uint8_t { kNone, kLongitude, kLatitude };
  Key first = kNone;   // kNone: as the caller gave them
  Key second = kNone;

  // The order after a stable sort by `key` of POI in this order.
  Order then_by(Key key) const {
    if (key == first) return *this;
    return {key, first};
  }

  static std::int32_t value(const Item& poi, Key key) {
    return key == kLongitude ? poi.longitude : poi.latitude;
  }
  bool operator()(const Item& a, const Item& b) const {
    if (first != kNone && value(a, first) != value(b, first)) return value(a, first) < value(b, first);
    if (second != kNone && value(a, second) != value(b, second)) return value(a, second) < value(b, second);
    return a.index < b.index;
  }
};

class Encoder {
 public:
  Encoder(std::span<const Ov2Record> records, std::string& out) : records_(records), out_(out) {}

  // Writes one skipper and the block it covers, whose POI stand in `order`;
  // false when a size overflows.
  bool block(std::span<Item> pois, Order order) {
    Box box;
    for (const Item& poi : pois) box.add(poi);

    const std::size_t start = out_.size();
    char skipper[ov2::kSkipperSize];
    skipper[0] = static_cast<char>(ov2::kSkipper);
    PutInt32(skipper + 1, 0);  // size, set below
    PutInt32(skipper + 5, box.east);
    PutInt32(skipper + 9, box.north);
    PutInt32(skipper + 13, box.west);
    PutInt32(skipper + 17, box.south);
    out_.append(skipper, sizeof skipper);

    if (pois.size() <= kPoiPerLeaf) {
      std::sort(pois.begin(), pois.end(), order);
      for (const Item& poi : pois) {
        if (!record(poi)) return false;
      }
    } else {
      // Along the wider side; the first half is the POI that sort first.
      const std::int64_t width = std::int64_t{box.east} - box.west;
      const std::int64_t height = std::int64_t{box.north} - box.south;
      const Order halves = order.then_by(width >= height ? Order::kLongitude : Order::kLatitude);
      const std::size_t half = pois.size() / 2;
      std::nth_element(pois.begin(), pois.begin() + static_cast<std::ptrdiff_t>(half), pois.end(), halves);
      if (!block(pois.first(half), halves) || !block(pois.subspan(half), halves)) return false;
    }
    const std::size_t size = out_.size() - start;
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
    PutInt32(out_.data() + start + 1, static_cast<std::int32_t>(size));
    return true;
  }

 private:
  bool record(const Item& poi) {
    const std::string_view name = records_[poi.index].name;
    const std::size_t length = ov2::kPoiHeader + name.size() + 1;
    if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
    char header[ov2::kPoiHeader];
    header[0] = static_cast<char>(ov2::kPoi);
    PutInt32(header + 1, static_cast<std::int32_t>(length));
    PutInt32(header + 5, poi.longitude);
    PutInt32(header + 9, poi.latitude);
    out_.append(header, sizeof header).append(name).push_back('\0');
    return true;
  }

  std::span<const Ov2Record> records_;
  std::string& out_;
};

}  // namespace

std::optional<std::string> EncodeOv2(std::span<Ov2Record> pois) {
  std::string out;
  if (pois.empty()) return out;
  if (pois.size() > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  std::vector<Item> items(pois.size());
  // Records, and about one skipper for every dozen of them.
  std::size_t size = ov2::kSkipperSize;
  for (std::size_t i = 0; i < pois.size(); ++i) {
    items[i] = {pois[i].longitude, pois[i].latitude, static_cast<std::uint32_t>(i)};
    size += ov2::kPoiHeader + pois[i].name.size() + 1 + 2;
  }
  out.reserve(size);
  if (!Encoder(pois, out).block(items, Order{})) return std::nullopt;
  // The records in the order the file holds them.
  std::vector<Ov2Record> ordered(pois.size());
  for (std::size_t i = 0; i < items.size(); ++i) ordered[i] = pois[items[i].index];
  std::copy(ordered.begin(), ordered.end(), pois.begin());
  return out;
}

}  // namespace nodalux::formats
