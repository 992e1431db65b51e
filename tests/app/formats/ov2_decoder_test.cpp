// The OV2 decoder on its own: records that do not fit one buffer, lengths
// that lie, a read that fails; the same results whatever the chunk size.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "app/formats/ov2_decoder.h"
#include "tests/app/formats/failing_source.h"
#include "tests/app/ov2subs/ov2_bytes.h"

namespace nodalux::formats {
namespace {

using ov2test::Nul;
using ov2test::Ov2Bytes;

struct Read {
  std::vector<std::string> names;
  std::vector<std::uint64_t> offsets;  // where each POI's record starts
  Ov2Stop stop;
  std::uint64_t stop_offset;
  int error;
};

Read Decode(ByteSource& source) {
  Ov2Decoder decoder(source);
  Read read{};
  while (const auto poi = decoder.next()) {
    read.names.emplace_back(poi->name);
    read.offsets.push_back(decoder.record_offset());
  }
  read.stop = decoder.stop();
  read.stop_offset = decoder.stop_offset();
  read.error = decoder.os_error();
  return read;
}

std::string Bytes(const std::vector<unsigned char>& bytes) { return {bytes.begin(), bytes.end()}; }

TEST(Ov2Decoder, RecordsLargerThanTheBufferAreReadOrSkippedWhole) {
  const std::string file = Bytes(Ov2Bytes()
                                     .deleted(300000, std::string(300000 - 5, 'd'))
                                     .poi(1, 2, std::string(200000, 'n') + Nul())
                                     .poi(3, 4, "After" + Nul())
                                     .bytes());
  for (const std::size_t step : {std::size_t{1} << 20, std::size_t{4096}, std::size_t{13}}) {
    SCOPED_TRACE(step);
    MemorySource source(file, step);
    const Read read = Decode(source);
    EXPECT_EQ(read.names, (std::vector<std::string>{std::string(128, 'n'), "After"}));
    EXPECT_EQ(read.offsets, (std::vector<std::uint64_t>{300000, 300000 + 13 + 200001}));
    EXPECT_EQ(read.stop, Ov2Stop::kEnd);
  }
}

// Small records are read where they lie in the buffer; each still tells
// where it starts.
TEST(Ov2Decoder, EveryPoiKnowsWhereItsRecordStarts) {
  const std::string file =
      Bytes(Ov2Bytes().poi(1, 2, "One" + Nul()).skipper(21, 0, 0, 0, 0).poi(3, 4, "Two" + Nul()).bytes());
  for (const std::size_t step : {std::size_t{1} << 20, std::size_t{5}}) {
    SCOPED_TRACE(step);
    MemorySource source(file, step);
    EXPECT_EQ(Decode(source).offsets, (std::vector<std::uint64_t>{0, 17 + 21}));
  }
}

TEST(Ov2Decoder, ALengthBeyondTheEndLeavesTheRecordOut) {
  const std::string file =
      Bytes(Ov2Bytes().poi(1, 2, "Kept" + Nul()).poi_with_length(2, INT_MAX, 5, 6, "cut").bytes());
  MemorySource source(file);
  const Read read = Decode(source);
  EXPECT_EQ(read.names, std::vector<std::string>{"Kept"});
  EXPECT_EQ(read.stop, Ov2Stop::kTruncated);
  EXPECT_EQ(read.stop_offset, 18u);
}

TEST(Ov2Decoder, AReadErrorIsNotTheEndOfTheFile) {
  const std::string file = Bytes(Ov2Bytes().poi(1, 2, "One" + Nul()).poi(3, 4, "Two" + Nul()).bytes());
  FailingSource source(file, 20);  // inside the second record
  const Read read = Decode(source);
  EXPECT_EQ(read.names, std::vector<std::string>{"One"});
  EXPECT_EQ(read.stop, Ov2Stop::kReadError);
  EXPECT_EQ(read.error, EIO);
}

}  // namespace
}  // namespace nodalux::formats
