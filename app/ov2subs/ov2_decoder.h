// Decoding of OV2 overlay files: a headerless sequence of records, each
// starting with a type byte; integers are 32-bit little-endian; coordinates
// are whole 1/100000 degrees. The decoder works on the file's bytes with an
// explicit end and never trusts a length field further than the bytes left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace nodalux::ov2 {

// Name bytes kept per POI; longer names are cut.
inline constexpr std::size_t kNameBytes = 128;

struct PoiView {
  std::int32_t longitude = 0;
  std::int32_t latitude = 0;
  std::string_view name;  // the kept name bytes, pointing into the file
};

enum class Stop {
  kEnd,              // every record was read
  kTruncated,        // the file ends inside a record, which is left out
  kUnsupportedType,  // a type byte other than 0..3
};

class Decoder {
 public:
  explicit Decoder(std::span<const unsigned char> bytes) : bytes_(bytes) {}

  // The next POI (record type 2 or 3); empty once reading has stopped.
  std::optional<PoiView> next();

  Stop stop() const { return stop_; }
  // The unsupported type byte, as a signed number, when stop() says so.
  std::int8_t bad_type() const { return bad_type_; }
  // Where the record that stopped reading starts.
  std::size_t stop_offset() const { return stop_offset_; }

 private:
  std::optional<PoiView> finish(Stop why, std::size_t record_start);

  std::span<const unsigned char> bytes_;
  std::size_t pos_ = 0;
  bool stopped_ = false;
  Stop stop_ = Stop::kEnd;
  std::int8_t bad_type_ = 0;
  std::size_t stop_offset_ = 0;
};

// A coordinate integer in degrees: times 0.00001 in double precision,
// rounded to float.
float DegreesFromOv2(std::int32_t units);

}  // namespace nodalux::ov2
