#include "tests/app/ov2subs/fuzz_ov2.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/formats/ov2_decoder.h"
#include "tests/tools/makeov2/makeov2_cpp.h"

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
  const mkov2_temp_line parsed = makeov2::Parse(line);
  // What a refused line names lies within the line.
  const auto within = [&](std::string_view part) {
    return part.empty() || (part.data() >= line.data() && part.data() + part.size() <= line.data() + line.size());
  };
  ASSERT_TRUE(within(makeov2::NameOf(parsed.record)));
  if (parsed.kind == MKOV2_BAD) {
    ASSERT_FALSE(makeov2::ErrorOf(parsed).empty());
    ASSERT_TRUE(within(makeov2::FieldOf(parsed)));
  }
  if (parsed.kind != MKOV2_RECORD) return;
  mkov2_record poi = parsed.record;
  const std::string_view name = makeov2::NameOf(poi);
  ASSERT_LE(std::abs(poi.longitude), 18000000);
  ASSERT_LE(std::abs(poi.latitude), 9000000);
  ASSERT_EQ(name.find('\0'), std::string::npos);

  const auto bytes = makeov2::Encode({&poi, 1});
  ASSERT_TRUE(bytes);
  formats::MemorySource source(*bytes);
  formats::Ov2Decoder decoder(source);
  const auto back = decoder.next();
  ASSERT_TRUE(back);
  ASSERT_EQ(decoder.longitude_units(), poi.longitude);
  ASSERT_EQ(decoder.latitude_units(), poi.latitude);
  ASSERT_EQ(back->name, name.substr(0, formats::kNameLength));
  ASSERT_FALSE(decoder.next());
  ASSERT_EQ(decoder.stop(), formats::Ov2Stop::kEnd);
}

}  // namespace ov2test
