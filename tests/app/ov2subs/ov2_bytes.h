// Builds OV2 bytes record by record for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ov2test {

class Ov2Bytes {
 public:
  Ov2Bytes& int32(std::int32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<unsigned char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF));
    return *this;
  }
  Ov2Bytes& raw(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  Ov2Bytes& byte(unsigned char value) {
    bytes_.push_back(value);
    return *this;
  }
  // A POI record whose length field says what the bytes hold.
  Ov2Bytes& poi(std::int32_t lon, std::int32_t lat, std::string_view name_and_rest, unsigned char type = 2) {
    return poi_with_length(type, static_cast<std::int32_t>(13 + name_and_rest.size()), lon, lat, name_and_rest);
  }
  Ov2Bytes& poi_with_length(unsigned char type, std::int32_t length, std::int32_t lon, std::int32_t lat,
                            std::string_view tail) {
    return byte(type).int32(length).int32(lon).int32(lat).raw(tail);
  }
  Ov2Bytes& deleted(std::int32_t length, std::string_view tail) { return byte(0).int32(length).raw(tail); }
  Ov2Bytes& skipper(std::int32_t size, std::int32_t e, std::int32_t n, std::int32_t w, std::int32_t s) {
    return byte(1).int32(size).int32(e).int32(n).int32(w).int32(s);
  }

  const std::vector<unsigned char>& bytes() const { return bytes_; }

 private:
  std::vector<unsigned char> bytes_;
};

inline std::string Nul() { return std::string(1, '\0'); }

}  // namespace ov2test
