// What the converter makes of every kind of line of its input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/tools/makeov2/makeov2_cpp.h"

namespace makeov2 {
namespace {


// A refused line says which field is at fault and, once the name was
// found, whose POI it is.
TEST(TempLine, ARefusedLineNamesItsFieldAndPoi) {
  mkov2_temp_line parsed = Parse("  200.00000,   1.00000,\"Far, away\"\r");
  EXPECT_EQ(parsed.kind, MKOV2_BAD);
  EXPECT_EQ(FieldOf(parsed), "200.00000");
  EXPECT_EQ(NameOf(parsed.record), "Far, away");
  parsed = Parse("1,2");
  EXPECT_EQ(FieldOf(parsed), "");
  EXPECT_EQ(NameOf(parsed.record), "");
}

TEST(TempLine, Kinds) {
  struct Row {
    std::string line;
    mkov2_line_kind kind;
    std::int32_t lon = 0, lat = 0;
    std::string name_or_error;
  };
  const std::vector<Row> rows = {
      {"", MKOV2_SKIP},
      {"   \t\r", MKOV2_SKIP},
      {";* Created by Nodalux\r", MKOV2_SKIP},
      {"  ;comment", MKOV2_SKIP},
      {"Longitude,Latitude,Name", MKOV2_SKIP},
      {"  -0.12345,  51.50000,\"Kew\"\r", MKOV2_RECORD, -12345, 5150000, "Kew"},
      {"-0.12345,51.5,\"Kew\"", MKOV2_RECORD, -12345, 5150000, "Kew"},
      {"1e-5,+2,\"\"", MKOV2_RECORD, 1, 200000, ""},
      {"180,-90,\"A, \"b\" c\"  ", MKOV2_RECORD, 18000000, -9000000, "A, \"b\" c"},
      {"0.000005,-0.000005,\"r\"", MKOV2_RECORD, 1, -1, "r"},
      {"1,2", MKOV2_BAD, 0, 0, "expected longitude, latitude and a name"},
      {"1,2, Kew Gardens \r", MKOV2_RECORD, 100000, 200000, "Kew Gardens"},
      {"1,2,  ", MKOV2_BAD, 0, 0, "the name is missing"},
      {"1,2,\"Kew", MKOV2_BAD, 0, 0, "the name has no closing double quote"},
      {"**********,2,\"x\"", MKOV2_BAD, 0, 0, "longitude overflowed its field"},
      {"abc,2,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {"1, ********** ,\"x\"", MKOV2_BAD, 0, 0, "latitude overflowed its field"},
      {"1,nan,\"x\"", MKOV2_BAD, 0, 0, "latitude is not a number"},
      {"1,2 3,\"x\"", MKOV2_BAD, 0, 0, "latitude is not a number"},
      {"180.00001,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is outside -180..180"},
      {"0,-91,\"x\"", MKOV2_BAD, 0, 0, "latitude is outside -90..90"},
      // The limits, exactly and just past them, with and without five places.
      {" 180.00000, -90.00000,\"x\"", MKOV2_RECORD, 18000000, -9000000, "x"},
      {"-180.00000,  90.00000,\"x\"", MKOV2_RECORD, -18000000, 9000000, "x"},
      {"180.000001,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is outside -180..180"},
      {" 180.00001,   0.00000,\"x\"", MKOV2_BAD, 0, 0, "longitude is outside -180..180"},
      {"-180.00001,   0.00000,\"x\"", MKOV2_BAD, 0, 0, "longitude is outside -180..180"},
      {"   0.00000,  90.00001,\"x\"", MKOV2_BAD, 0, 0, "latitude is outside -90..90"},
      {"   0.00000, -90.00001,\"x\"", MKOV2_BAD, 0, 0, "latitude is outside -90..90"},
      {"0,-90.00001,\"x\"", MKOV2_BAD, 0, 0, "latitude is outside -90..90"},
      {"999999999999999,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is outside -180..180"},
      {"-0.00000,1.,\"x\"", MKOV2_RECORD, 0, 100000, "x"},
      {".5,-.00001,\"x\"", MKOV2_RECORD, 50000, -1, "x"},
      {"1.2.3,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      // Near misses of the written layout, ten characters to a field.
      {"   -.12345,   0.00000,\"x\"", MKOV2_RECORD, -12345, 0, "x"},
      {"     .5000,  -0.5    ,\"x\"", MKOV2_RECORD, 50000, -50000, "x"},
      {" 1-2.00000,   0.00000,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {" --1.00000,   0.00000,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {"+-1,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {"0,+-1.5,\"x\"", MKOV2_BAD, 0, 0, "latitude is not a number"},
      {"  1 .00000,   0.00000,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {"   0.00000,   0,12345,\"x\"", MKOV2_RECORD, 0, 0, "x"},
      {"   0.00000,   0.1234\xb9,\"x\"", MKOV2_BAD, 0, 0, "latitude is not a number"},
      {"   0.00000,   0.1234/,\"x\"", MKOV2_BAD, 0, 0, "latitude is not a number"},
      {"   0.00000,   0.1234:,\"x\"", MKOV2_BAD, 0, 0, "latitude is not a number"},
      {"\xfa  0.00000,   0.00000,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {"abcd.00000,   0.00000,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {"-,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      // Numbers the C library reads but a coordinate field does not hold:
      // hexadecimal, infinities, and numbers past the range of a double
      // (above it, or so small they would read as zero). A number that is
      // merely tiny is zero degrees.
      {"0x10,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {"0,infinity,\"x\"", MKOV2_BAD, 0, 0, "latitude is not a number"},
      {"1e400,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {"1e-400,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {"1e,0,\"x\"", MKOV2_BAD, 0, 0, "longitude is not a number"},
      {" 1e-310 ,-0e999,\"x\"", MKOV2_RECORD, 0, 0, "x"},
      {"1.8E+2,-9e+1,\"x\"", MKOV2_RECORD, 18000000, -9000000, "x"},
      {std::string("0,0,\"a\0b\"", 9), MKOV2_BAD, 0, 0, "the name contains a NUL byte, which an OV2 name cannot hold"},
      {";*    12 POI records written.\r", MKOV2_TRAILER, 0, 0, "12"},
      {";* 30000 POI records written.", MKOV2_TRAILER, 0, 0, "30000"},
      {";*  *** POI records written.", MKOV2_SKIP},
      {";* 12 POI records", MKOV2_SKIP},
      {";* -0 POI records written.", MKOV2_TRAILER, 0, 0, "0"},
      {";* -1 POI records written.", MKOV2_SKIP},
      {";* 9223372036854775808 POI records written.", MKOV2_SKIP},
      {";* 12  POI records written.", MKOV2_SKIP},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const mkov2_temp_line parsed = Parse(row.line);
    ASSERT_EQ(parsed.kind, row.kind);
    if (row.kind == MKOV2_RECORD) {
      EXPECT_EQ(parsed.record.longitude, row.lon);
      EXPECT_EQ(parsed.record.latitude, row.lat);
      EXPECT_EQ(NameOf(parsed.record), row.name_or_error);
    } else if (row.kind == MKOV2_BAD) {
      EXPECT_EQ(ErrorOf(parsed), row.name_or_error);
    } else if (row.kind == MKOV2_TRAILER) {
      EXPECT_EQ(std::to_string(parsed.count), row.name_or_error);
    }
  }
}

// Coordinates in every form the writer and AutoRoute write them become the
// whole 1/100000 degrees of the number's nearest double, as the C library
// reads it.
TEST(TempLine, CoordinatesAreTheNumbersRoundedToUnits) {
  std::uint32_t seed = 99;
  const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int i = 0; i < 20000; ++i) {
    char text[64];
    const double degrees = static_cast<double>(static_cast<std::int32_t>(next() % 36000001u) - 18000000) / 100000.0;
    switch (i % 4) {
      case 0: std::snprintf(text, sizeof text, "%10.5f", degrees); break;
      case 1: std::snprintf(text, sizeof text, "%.7f", degrees / 2); break;
      case 2: std::snprintf(text, sizeof text, "%.3e", degrees); break;
      default: std::snprintf(text, sizeof text, "%.15g", degrees / 3); break;
    }
    const std::string line = std::string(text) + ",1.5,\"x\"";
    SCOPED_TRACE(line);
    const mkov2_temp_line parsed = Parse(line);
    ASSERT_EQ(parsed.kind, MKOV2_RECORD);
    EXPECT_EQ(parsed.record.longitude, std::lround(std::strtod(text, nullptr) * 100000.0));
    EXPECT_EQ(parsed.record.latitude, 150000);
  }
}

// The lines the program writes are read the same as the same numbers
// written any other way: without their leading blanks, or with a sign.
TEST(TempLine, WrittenLinesReadAsTheirNumbersDo) {
  std::uint32_t seed = 7;
  const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int i = 0; i < 20000; ++i) {
    // Mostly in range, some just past the limits, some far past them.
    const auto units = [&](std::int32_t limit) {
      const std::int32_t reach = i % 10 == 0 ? 10 * limit : limit + 3;
      return static_cast<std::int32_t>(next() % (2u * static_cast<std::uint32_t>(reach) + 1)) - reach;
    };
    const double lon = units(18000000) / 100000.0;
    const double lat = units(9000000) / 100000.0;
    const char* const name = i % 100 == 0 ? "" : "A \"b\", c";
    char written[96], other[96];
    std::snprintf(written, sizeof written, "%10.5f,%10.5f,\"%s\"", lon, lat, name);
    std::snprintf(other, sizeof other, "%+.5f,%.5f,\"%s\"", lon, lat, name);
    SCOPED_TRACE(written);
    const mkov2_temp_line a = Parse(written);
    const mkov2_temp_line b = Parse(other);
    ASSERT_EQ(a.kind, b.kind);
    EXPECT_EQ(ErrorOf(a), ErrorOf(b));
    EXPECT_EQ(NameOf(a.record), NameOf(b.record));
    if (a.kind == MKOV2_RECORD) {
      EXPECT_EQ(a.record.longitude, std::lround(lon * 100000.0));
      EXPECT_EQ(a.record.latitude, std::lround(lat * 100000.0));
    }
  }
}

}  // namespace
}  // namespace makeov2
