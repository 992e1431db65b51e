#include "app/formats/ov2_decoder.h"

#include <algorithm>
#include <cstring>

#include "app/formats/ov2_layout.h"

namespace nodalux::formats {
namespace {

// Bytes a record says follow its fixed part; never negative.
std::uint64_t Extra(std::int32_t length, std::size_t fixed) {
  return static_cast<std::uint64_t>(std::max<std::int64_t>(std::int64_t{length} - static_cast<std::int64_t>(fixed), 0));
}

}  // namespace

std::optional<PoiView> Ov2Decoder::finish(Ov2Stop why, std::uint64_t record_start) {
  stop_ = why;
  stop_offset_ = record_start;
  return std::nullopt;
}

std::optional<PoiView> Ov2Decoder::cut_short(std::uint64_t record_start) {
  return finish(input_.error() != 0 ? Ov2Stop::kReadError : Ov2Stop::kTruncated, record_start);
}

std::optional<PoiView> Ov2Decoder::next() {
  while (stop_ == Ov2Stop::kReading) {
    // Records that lie whole in the bytes held are read where they lie.
    const std::string_view held = input_.held();
    if (held.size() >= ov2::kPoiHeader) {
      const auto type = static_cast<unsigned char>(held[0]);
      if (type == ov2::kPoi || type == ov2::kExtendedPoi) {
        const std::uint64_t name_size = Extra(ov2::Int32At(held.data() + 1), ov2::kPoiHeader);
        if (name_size <= held.size() - ov2::kPoiHeader) {
          longitude_ = ov2::Int32At(held.data() + 5);
          latitude_ = ov2::Int32At(held.data() + 9);
          std::string_view name = held.substr(ov2::kPoiHeader, std::min<std::uint64_t>(name_size, kNameLength));
          record_offset_ = input_.offset();
          // The bytes stay where they are until the next call.
          input_.consume(ov2::kPoiHeader + static_cast<std::size_t>(name_size));
          name = name.substr(0, std::min(name.find('\0'), name.size()));
          return PoiView{ov2::DegreesFromUnits(longitude_), ov2::DegreesFromUnits(latitude_), name};
        }
      } else if (type == ov2::kSkipper && held.size() >= ov2::kSkipperSize) {
        input_.consume(ov2::kSkipperSize);
        continue;
      }
    }
    const std::uint64_t start = input_.offset();
    if (!input_.hold(1)) {
      return finish(input_.error() != 0 ? Ov2Stop::kReadError : Ov2Stop::kEnd, start);
    }
    const auto type = static_cast<unsigned char>(input_.held()[0]);
    switch (type) {
      case ov2::kDeleted: {
        if (!input_.hold(ov2::kDeletedHeader)) return cut_short(start);
        const std::uint64_t skip = Extra(ov2::Int32At(input_.held().data() + 1), ov2::kDeletedHeader);
        input_.consume(ov2::kDeletedHeader);
        if (!input_.skip(skip)) return cut_short(start);
        break;
      }
      case ov2::kSkipper:  // a fixed size; its box only matters to devices
        if (!input_.hold(ov2::kSkipperSize)) return cut_short(start);
        input_.consume(ov2::kSkipperSize);
        break;
      case ov2::kPoi:
      case ov2::kExtendedPoi: {
        if (!input_.hold(ov2::kPoiHeader)) return cut_short(start);
        const char* header = input_.held().data();
        const std::uint64_t name_size = Extra(ov2::Int32At(header + 1), ov2::kPoiHeader);
        const std::int32_t longitude = ov2::Int32At(header + 5);
        const std::int32_t latitude = ov2::Int32At(header + 9);
        input_.consume(ov2::kPoiHeader);
        const std::size_t kept = static_cast<std::size_t>(std::min<std::uint64_t>(name_size, kNameLength));
        if (!input_.hold(kept)) return cut_short(start);
        std::memcpy(name_.data(), input_.held().data(), kept);
        input_.consume(kept);
        if (!input_.skip(name_size - kept)) return cut_short(start);
        longitude_ = longitude;
        latitude_ = latitude;
        record_offset_ = start;
        const std::string_view name(name_.data(), kept);
        return PoiView{ov2::DegreesFromUnits(longitude), ov2::DegreesFromUnits(latitude),
                   name.substr(0, std::min(name.find('\0'), name.size()))};
      }
      default:
        bad_type_ = static_cast<std::int8_t>(type);
        return finish(Ov2Stop::kUnsupportedType, start);
    }
  }
  return std::nullopt;
}

}  // namespace nodalux::formats
