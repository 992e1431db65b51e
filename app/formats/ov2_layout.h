// The OV2 overlay file as the reader sees it (the converter writes it in
// tools/makeov2/ov2_encode.c): a headerless sequence of records, each
// starting with a type byte; integers are 32-bit little-endian two's
// complement; coordinates are whole 1/100000 degrees, longitude first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nodalux::formats::ov2 {

enum RecordType : unsigned char {
  kDeleted = 0,      // length, then length - 5 bytes: skipped
  kSkipper = 1,      // size of the block it covers, then its box east, north, west, south
  kPoi = 2,          // length, longitude, latitude, then the name ended by a NUL
  kExtendedPoi = 3,  // as kPoi; what follows the name's NUL is not read
};

inline constexpr std::size_t kDeletedHeader = 5;  // type, length
inline constexpr std::size_t kSkipperSize = 21;   // type and five integers
inline constexpr std::size_t kPoiHeader = 13;     // type, length, longitude, latitude

inline constexpr double kDegreesPerUnit = 0.00001;

// A coordinate integer in degrees: times 0.00001 in double precision,
// rounded to float.
inline float DegreesFromUnits(std::int32_t units) { return static_cast<float>(units * kDegreesPerUnit); }

inline std::int32_t Int32At(const char* p) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(p[i]);
  return static_cast<std::int32_t>(value);
}

}  // namespace nodalux::formats::ov2
