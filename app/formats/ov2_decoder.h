// Reading an OV2 overlay record by record, in bounded memory. A length field
// is never trusted further than the bytes that are really there: a record
// the file ends inside is left out and reading ends.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "app/formats/byte_source.h"
#include "app/formats/chunked_input.h"
#include "app/formats/poi_view.h"

namespace nodalux::formats {

enum class Ov2Stop {
  kReading,          // not stopped yet
  kEnd,              // every record was read
  kTruncated,        // the file ends inside a record, which is left out
  kUnsupportedType,  // a type byte other than 0..3: bad_type()
  kReadError,        // the file could not be read further: os_error()
};

class Ov2Decoder {
 public:
  explicit Ov2Decoder(ByteSource& source) : input_(source) {}

  // The next POI (record type 2 or 3); empty once reading has stopped. Its
  // name (the bytes before the first NUL among the first 128) stays valid
  // until the next call.
  std::optional<PoiView> next();

  Ov2Stop stop() const { return stop_; }
  // The coordinates of the POI last given, in the file's units.
  std::int32_t longitude_units() const { return longitude_; }
  std::int32_t latitude_units() const { return latitude_; }
  // Where the record of the POI last given starts.
  std::uint64_t record_offset() const { return record_offset_; }
  // The unsupported type byte, as a signed number.
  std::int8_t bad_type() const { return bad_type_; }
  // Where the record that stopped reading starts.
  std::uint64_t stop_offset() const { return stop_offset_; }
  int os_error() const { return input_.error(); }

 private:
  std::optional<PoiView> finish(Ov2Stop why, std::uint64_t record_start);
  // Reading stopped inside the record that starts at `record_start`.
  std::optional<PoiView> cut_short(std::uint64_t record_start);

  ChunkedInput input_;
  Ov2Stop stop_ = Ov2Stop::kReading;
  std::int32_t longitude_ = 0;
  std::int32_t latitude_ = 0;
  std::int8_t bad_type_ = 0;
  std::uint64_t stop_offset_ = 0;
  std::uint64_t record_offset_ = 0;
  std::array<char, kNameLength> name_{};
};

}  // namespace nodalux::formats
