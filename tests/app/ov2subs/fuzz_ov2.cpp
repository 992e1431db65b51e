#include "tests/app/ov2subs/fuzz_ov2.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/formats/ov2_decoder.h"
#include "app/formats/ov2_encoder.h"
#include "app/formats/temp_file.h"

namespace ov2test {
namespace {

namespace formats = nodalux::formats;

struct Read {
  std::vector<std::int32_t> units;  // longitude, latitude of each POI
  std::vector<std::string> names;
  formats::Ov2Stop stop = formats::Ov2Stop::kReading;
  std::uint64_t stop_offset = 0;
};

// Everything the decoder gives for `bytes` handed over `step` bytes at a
// time.
Read Decode(std::string_view bytes, std::size_t step) {
  formats::MemorySource source(bytes, step);
  formats::Ov2Decoder decoder(source);
  Read read;
  while (const auto poi = decoder.next()) {
    read.units.push_back(decoder.longitude_units());
    read.units.push_back(decoder.latitude_units());
    read.names.emplace_back(poi->name);
  }
  read.stop = decoder.stop();
  read.stop_offset = decoder.stop_offset();
  return read;
}

}  // namespace

void FuzzReadOv2(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Read whole = Decode(bytes, size);
  ASSERT_NE(whole.stop, formats::Ov2Stop::kReading);
  ASSERT_NE(whole.stop, formats::Ov2Stop::kReadError);
  ASSERT_LE(whole.stop_offset, size);
  // Every POI record takes at least 13 bytes; a name keeps at most 128 and
  // no NUL.
  ASSERT_LE(whole.names.size() * 13, size);
  for (const std::string& name : whole.names) {
    ASSERT_LE(name.size(), formats::kNameLength);
    ASSERT_EQ(name.find('\0'), std::string::npos);
  }
  // Where the chunks end changes nothing.
  for (const std::size_t step : {std::size_t{1}, std::size_t{7}}) {
    const Read chunked = Decode(bytes, step);
    ASSERT_EQ(chunked.units, whole.units);
    ASSERT_EQ(chunked.names, whole.names);
    ASSERT_EQ(chunked.stop, whole.stop);
    ASSERT_EQ(chunked.stop_offset, whole.stop_offset);
  }
}

void FuzzMakeOv2Line(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const formats::TempLine parsed = formats::ParseTempLine(line);
  if (parsed.kind != formats::TempLine::Kind::kRecord) return;
  formats::Ov2Record poi = parsed.record;
  ASSERT_LE(std::abs(poi.longitude), 18000000);
  ASSERT_LE(std::abs(poi.latitude), 9000000);
  ASSERT_EQ(poi.name.find('\0'), std::string::npos);

  const auto bytes = formats::EncodeOv2({&poi, 1});
  ASSERT_TRUE(bytes);
  formats::MemorySource source(*bytes);
  formats::Ov2Decoder decoder(source);
  const auto back = decoder.next();
  ASSERT_TRUE(back);
  ASSERT_EQ(decoder.longitude_units(), poi.longitude);
  ASSERT_EQ(decoder.latitude_units(), poi.latitude);
  ASSERT_EQ(back->name, poi.name.substr(0, formats::kNameLength));
  ASSERT_FALSE(decoder.next());
  ASSERT_EQ(decoder.stop(), formats::Ov2Stop::kEnd);
}

}  // namespace ov2test
