#include "app/ov2subs/ov2_decoder.h"

#include <algorithm>

namespace nodalux::ov2 {
namespace {

constexpr std::size_t kSkipperBytes = 20;  // after the type byte
constexpr std::int64_t kDeletedHeader = 5;  // type and length
constexpr std::int64_t kPoiHeader = 13;     // type, length, longitude, latitude

std::int32_t Int32At(std::span<const unsigned char> bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(value);
}

// Bytes a record says follow its fixed part; never negative.
std::size_t Extra(std::int32_t length, std::int64_t fixed) {
  return static_cast<std::size_t>(std::max<std::int64_t>(std::int64_t{length} - fixed, 0));
}

}  // namespace

float DegreesFromOv2(std::int32_t units) { return static_cast<float>(units * 0.00001); }

std::optional<PoiView> Decoder::finish(Stop why, std::size_t record_start) {
  stopped_ = true;
  stop_ = why;
  stop_offset_ = record_start;
  return std::nullopt;
}

std::optional<PoiView> Decoder::next() {
  while (!stopped_) {
    const std::size_t start = pos_;
    const std::size_t left = bytes_.size() - pos_;
    if (left == 0) return finish(Stop::kEnd, start);
    const unsigned char type = bytes_[pos_];

    switch (type) {
      case 0: {  // deleted record: skipped by its length
        if (left < 5) return finish(Stop::kTruncated, start);
        const std::size_t skip = Extra(Int32At(bytes_, pos_ + 1), kDeletedHeader);
        if (skip > left - 5) return finish(Stop::kTruncated, start);
        pos_ += 5 + skip;
        break;
      }
      case 1:  // skipper record: a fixed size; its bounds only matter to devices
        if (left < 1 + kSkipperBytes) return finish(Stop::kTruncated, start);
        pos_ += 1 + kSkipperBytes;
        break;
      case 2:
      case 3: {  // POI; type 3 may carry more after the name's NUL
        if (left < 13) return finish(Stop::kTruncated, start);
        const std::size_t name_size = Extra(Int32At(bytes_, pos_ + 1), kPoiHeader);
        if (name_size > left - 13) return finish(Stop::kTruncated, start);
        PoiView poi;
        poi.longitude = Int32At(bytes_, pos_ + 5);
        poi.latitude = Int32At(bytes_, pos_ + 9);
        const auto* name = reinterpret_cast<const char*>(bytes_.data() + pos_ + 13);
        const std::string_view kept(name, std::min(name_size, kNameBytes));
        poi.name = kept.substr(0, kept.find('\0'));
        pos_ += 13 + name_size;
        return poi;
      }
      default:
        bad_type_ = static_cast<std::int8_t>(type);
        return finish(Stop::kUnsupportedType, start);
    }
  }
  return std::nullopt;
}

}  // namespace nodalux::ov2
