// The quick reader of everyday records must agree with list-directed input
// wherever it takes a line, and leave every other line to it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "app/nodalux/plain_record.h"
#include "toolkit/core/fortran_io.h"

namespace nodalux {
namespace {

POI_RECORD ReadListDirected(std::string_view text) {
  using Status = zarv::fortran::ListReader::Status;
  POI_RECORD record;
  zarv::fortran::ListReader reader(text);
  EXPECT_EQ(reader.read(record.LONGITUDE), Status::kValue) << text;
  EXPECT_EQ(reader.read(record.LATITUDE), Status::kValue) << text;
  EXPECT_EQ(reader.read(record.NAME.span()), Status::kValue) << text;
  return record;
}

TEST(PlainRecord, AgreesWithListDirectedInput) {
  const char* lines[] = {
      "-0.12345,51.5,\"Kew, Gardens\"",
      "-0.12346,51.50000,\"Kew\"   ",
      "1.5 52 'The Pub'",
      "2 , 3 , \"padded\"",
      "1,2,Two words",
      "1,2,a/b",
      "+3.,.5,x",
      "1.5e1,-2E-1,\"\"",
      "0.1,0.2,\"x\"/",
      "179.99999,-89.123456789,\"many digits\"",
      "1.17549435E-38,3.4028234E38,\"edges\"",
      "1,2,\"a name of more than one hundred and twenty-eight characters, which is cut "
      "when it is stored in the table, whatever follows it here\"",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    POI_RECORD quick;
    ASSERT_TRUE(ReadPlainRecord(line, quick));
    const POI_RECORD general = ReadListDirected(line);
    EXPECT_EQ(quick.LONGITUDE, general.LONGITUDE);
    EXPECT_EQ(quick.LATITUDE, general.LATITUDE);
    EXPECT_EQ(quick.NAME, general.NAME);
  }
}

// Short decimals take a quicker road than long ones; both must round every
// coordinate exactly as the general reader does.
TEST(PlainRecord, RoundsEveryCoordinateLikeTheGeneralReader) {
  std::uint32_t seed = 20261208;
  const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int i = 0; i < 20000; ++i) {
    const int decimals = static_cast<int>(next() % 11);
    const long long whole = static_cast<long long>(next() % 200000000u) - 100000000;
    std::string number = std::to_string(whole / 1000);
    if (decimals > 0) {
      std::string fraction = std::to_string(next() % 10000000000ull);
      fraction.resize(static_cast<std::size_t>(decimals), '7');
      number += "." + fraction;
    }
    const std::string line = number + "," + number + ",x";
    SCOPED_TRACE(line);
    POI_RECORD quick;
    ASSERT_TRUE(ReadPlainRecord(line, quick));
    const POI_RECORD general = ReadListDirected(line);
    ASSERT_EQ(quick.LONGITUDE, general.LONGITUDE);
    ASSERT_EQ(std::signbit(quick.LATITUDE), std::signbit(general.LATITUDE));
  }
}

TEST(PlainRecord, LeavesUnusualLinesToTheGeneralReader) {
  const char* lines[] = {
      ",5,'null longitude'", "6/",          "1,2,",       "1,2",          "2*7.25,'x'",
      "1\t2\t'tab'",         "1,2,'it''s'", "1,2,'open",  "1,2,\"x\"y",   "1,2,3*x",
      "1.5D1,2,'d'",         "1e50,2,'big'", "abc,1,'x'", "1,,2,'x'",     "1,2,a\rb",
      "1.5+3,2,'x'",         "",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    POI_RECORD slot{9.0f, 8.0f, zarv::Text<128>("untouched")};
    EXPECT_FALSE(ReadPlainRecord(line, slot));
    EXPECT_EQ(slot.LONGITUDE, 9.0f);
    EXPECT_EQ(slot.NAME.str(), "untouched");
  }
}

}  // namespace
}  // namespace nodalux
