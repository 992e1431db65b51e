#include "app/formats/ov2_encoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>
#include <utility>
#include <vector>

#include "app/formats/ov2_layout.h"

namespace nodalux::formats {
namespace {

char* PutInt32(char* at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return at + 4;
}

// The indices of `keys` in the order of their keys, equal keys in the
// order of their indices: a radix sort by digits of 11 bits, from the
// lowest, of keys below 2^bits, passing over every digit all keys share.
std::vector<std::uint32_t> SortedByKey(const std::vector<std::uint64_t>& keys, int bits) {
  constexpr int kDigit = 11;
  constexpr std::size_t kValues = std::size_t{1} << kDigit;
  const std::size_t n = keys.size();
  const int digits = std::max(1, (bits + kDigit - 1) / kDigit);
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::vector<std::uint32_t> sorted(n);
  std::vector<std::uint32_t> counts(static_cast<std::size_t>(digits) * kValues);
  for (const std::uint64_t key : keys) {
    for (int d = 0; d < digits; ++d) ++counts[d * kValues + ((key >> (kDigit * d)) & (kValues - 1))];
  }
  for (int d = 0; d < digits; ++d) {
    std::uint32_t* const starts = counts.data() + d * kValues;
    const int shift = kDigit * d;
    if (starts[(keys[0] >> shift) & (kValues - 1)] == n) continue;
    std::uint32_t start = 0;
    for (std::size_t value = 0; value < kValues; ++value) start += std::exchange(starts[value], start);
    for (const std::uint32_t i : order) sorted[starts[(keys[i] >> shift) & (kValues - 1)]++] = i;
    order.swap(sorted);
  }
  return order;
}

// The coordinates of a set of POI as keys for sorting: from 0 up, in as
// few bits as their spread needs.
struct Spread {
  std::int32_t low = std::numeric_limits<std::int32_t>::max();
  std::int32_t high = std::numeric_limits<std::int32_t>::min();
  void add(std::int32_t value) {
    low = std::min(low, value);
    high = std::max(high, value);
  }
  std::uint64_t key(std::int32_t value) const { return static_cast<std::uint32_t>(std::int64_t{value} - low); }
  int bits() const { return std::bit_width(static_cast<std::uint32_t>(std::int64_t{high} - low)); }
};

// How many blocks, skippers included, a set of `n` POI is cut into.
std::size_t BlockCount(std::size_t n) {
  if (n <= kPoiPerLeaf) return 1;
  return 1 + BlockCount(n / 2) + BlockCount(n - n / 2);
}

// The order of a block's POI. The file's layout is that of halving each
// block after a stable sort along its wider side, the halves then sorted
// again in turn. A stable sort by one key of POI ordered by others orders
// them by that key, then by the others, then by where they stood; with two
// keys only, that is at most two keys and the position. So a block's POI
// stand in one of five orders: as given (the whole set only), by one key,
// or by both keys, in either case then as given.
enum Key : std::uint8_t { kNone, kLongitude, kLatitude };
struct Order {
  Key first = kNone;  // kNone: as given
  Key second = kNone;

  // The order after a stable sort by `key` of POI in this order.
  Order then_by(Key key) const {
    if (key == first) return *this;
    return {key, first};
  }
};

// The encoder keeps the POI of every block in each order its blocks can
// need, as lists of indices into the caller's records: by longitude then
// latitude, by latitude then longitude, and, while halving has gone along
// one side only, by that side's key alone. The lists of a block stand in
// the same stretch of each list; halving a block splits one of them in the
// middle and parts the others stably into the two halves' POI. So no block
// is ever sorted, and a block's bounds are read off the ends of its lists.
class Encoder {
 public:
  Encoder(std::span<const Ov2Record> records, char* out) : records_(records), out_(out) {
    const std::size_t n = records.size();
    for (const Ov2Record& poi : records) {
      longitudes_.add(poi.longitude);
      latitudes_.add(poi.latitude);
    }
    std::vector<std::uint64_t> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
      keys[i] = longitudes_.key(records[i].longitude) << latitudes_.bits() | latitudes_.key(records[i].latitude);
    }
    by_both_[kLongitude] = SortedByKey(keys, longitudes_.bits() + latitudes_.bits());
    for (std::size_t i = 0; i < n; ++i) {
      keys[i] = latitudes_.key(records[i].latitude) << longitudes_.bits() | longitudes_.key(records[i].longitude);
    }
    by_both_[kLatitude] = SortedByKey(keys, longitudes_.bits() + latitudes_.bits());
    side_.resize(n);
    parted_.resize(n);
    placed_.resize(n);
  }

  // Writes the skipper of the POI in [begin, end), which stand in `order`,
  // and the block it covers. Every size fits: the caller checked the whole
  // file's.
  void block(std::size_t begin, std::size_t end, Order order) {
    const std::int32_t west = records_[by_both_[kLongitude][begin]].longitude;
    const std::int32_t east = records_[by_both_[kLongitude][end - 1]].longitude;
    const std::int32_t south = records_[by_both_[kLatitude][begin]].latitude;
    const std::int32_t north = records_[by_both_[kLatitude][end - 1]].latitude;

    char* const start = out_;
    *out_++ = static_cast<char>(ov2::kSkipper);
    out_ += 4;  // size, set below
    out_ = PutInt32(out_, east);
    out_ = PutInt32(out_, north);
    out_ = PutInt32(out_, west);
    out_ = PutInt32(out_, south);

    if (end - begin <= kPoiPerLeaf) {
      for (std::size_t i = begin; i < end; ++i) {
        record(i, order.first == kNone ? static_cast<std::uint32_t>(i) : list(order)[i]);
      }
    } else {
      // Along the wider side; the first half is the POI that sort first.
      const std::int64_t width = std::int64_t{east} - west;
      const std::int64_t height = std::int64_t{north} - south;
      const Key key = width >= height ? kLongitude : kLatitude;
      const Order halves = order.then_by(key);
      if (order.first == kNone) {
        // The whole set, by one key as given: a stable sort by it alone.
        const Spread& spread = key == kLongitude ? longitudes_ : latitudes_;
        std::vector<std::uint64_t> keys(records_.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
          keys[i] = spread.key(key == kLongitude ? records_[i].longitude : records_[i].latitude);
        }
        by_one_ = SortedByKey(keys, spread.bits());
      }
      const std::vector<std::uint32_t>& split = list(halves);
      const std::size_t middle = begin + (end - begin) / 2;
      for (std::size_t i = begin; i < middle; ++i) side_[split[i]] = 1;
      for (std::size_t i = middle; i < end; ++i) side_[split[i]] = 0;
      for (std::vector<std::uint32_t>* other : {&by_both_[kLongitude], &by_both_[kLatitude], &by_one_}) {
        if (other == &split || (other == &by_one_ && halves.second != kNone)) continue;
        part(*other, begin, middle, end);
      }
      block(begin, middle, halves);
      block(middle, end, halves);
    }
    PutInt32(start + 1, static_cast<std::int32_t>(out_ - start));
  }

  // Where each POI stands in the file: the caller's index of its record.
  std::vector<std::uint32_t>& placed() { return placed_; }

 private:
  const std::vector<std::uint32_t>& list(Order order) const {
    return order.second == kNone ? by_one_ : by_both_[order.first];
  }

  // Parts the stretch [begin, end) of `list` stably: the POI of the first
  // half, by side_, to [begin, middle), the others after them.
  void part(std::vector<std::uint32_t>& list, std::size_t begin, std::size_t middle, std::size_t end) {
    // Without a branch on the side, which is as good as random.
    std::size_t first = begin;
    std::size_t second = middle;
    for (std::size_t i = begin; i < end; ++i) {
      const std::uint32_t poi = list[i];
      const std::size_t in_first = side_[poi];
      const std::size_t mask = 0 - in_first;
      parted_[(first & mask) | (second & ~mask)] = poi;
      first += in_first;
      second += 1 - in_first;
    }
    std::memcpy(list.data() + begin, parted_.data() + begin, (end - begin) * sizeof(std::uint32_t));
  }

  void record(std::size_t at, std::uint32_t index) {
    placed_[at] = index;
    const Ov2Record& poi = records_[index];
    *out_++ = static_cast<char>(ov2::kPoi);
    out_ = PutInt32(out_, static_cast<std::int32_t>(ov2::kPoiHeader + poi.name.size() + 1));
    out_ = PutInt32(out_, poi.longitude);
    out_ = PutInt32(out_, poi.latitude);
    if (!poi.name.empty()) std::memcpy(out_, poi.name.data(), poi.name.size());
    out_ += poi.name.size();
    *out_++ = '\0';
  }

  std::span<const Ov2Record> records_;
  char* out_;
  Spread longitudes_, latitudes_;
  std::array<std::vector<std::uint32_t>, 3> by_both_;  // by kLongitude and kLatitude first
  std::vector<std::uint32_t> by_one_;
  std::vector<std::uint8_t> side_;      // by record: 1 for the first half of the block being halved
  std::vector<std::uint32_t> parted_;   // room to part a list's stretch in
  std::vector<std::uint32_t> placed_;
};

}  // namespace

std::optional<std::string> EncodeOv2(std::span<Ov2Record> pois) {
  std::string out;
  if (pois.empty()) return out;
  if (pois.size() > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  // The whole file's size: no block, and so no record, is larger.
  std::size_t size = BlockCount(pois.size()) * ov2::kSkipperSize;
  for (const Ov2Record& poi : pois) size += ov2::kPoiHeader + poi.name.size() + 1;
  if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return std::nullopt;
  out.resize(size);
  Encoder encoder(pois, out.data());
  encoder.block(0, pois.size(), Order{});
  // The records in the order the file holds them, moved along each cycle
  // of the placing in turn, without a second copy of them all.
  std::vector<std::uint32_t>& placed = encoder.placed();
  for (std::size_t start = 0; start < placed.size(); ++start) {
    if (placed[start] == start) continue;  // in its place, or moved there
    const Ov2Record first = pois[start];
    std::size_t at = start;
    while (placed[at] != start) {
      const std::size_t from = placed[at];
      pois[at] = pois[from];
      placed[at] = static_cast<std::uint32_t>(at);
      at = from;
    }
    pois[at] = first;
    placed[at] = static_cast<std::uint32_t>(at);
  }
  return out;
}

}  // namespace nodalux::formats
