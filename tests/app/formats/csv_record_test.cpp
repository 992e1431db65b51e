// The quick reader of everyday records must agree with list-directed input
// wherever it takes a line, and leave every other line to it.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <string>

#include "app/formats/csv_record.h"

namespace nodalux::formats {
namespace {

struct General {
  char name_buffer[kNameLength];
  CsvRecord record;
};

// The general reader's record, which must hold all three values.
void ReadListDirected(std::string_view text, General* general) {
  std::size_t column = 0;
  EXPECT_EQ(ReadListCsvRecord(text, general->name_buffer, &general->record, &column), CsvFault::kNone) << text;
  EXPECT_TRUE(general->record.longitude && general->record.latitude && general->record.name) << text;
}

TEST(CsvRecordPaths, AgreesWithListDirectedInput) {
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
    CsvRecord quick;
    ASSERT_TRUE(ReadPlainCsvRecord(line, &quick));
    General general;
    ReadListDirected(line, &general);
    EXPECT_EQ(quick, general.record);
  }
}

// Short decimals take a quicker road than long ones; both must round every
// coordinate exactly as the general reader does.
TEST(CsvRecordPaths, RoundsEveryCoordinateLikeTheGeneralReader) {
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
    CsvRecord quick;
    ASSERT_TRUE(ReadPlainCsvRecord(line, &quick));
    General general;
    ReadListDirected(line, &general);
    ASSERT_EQ(quick, general.record);
    ASSERT_EQ(std::signbit(*quick.latitude), std::signbit(*general.record.latitude));
  }
}

// The quick conversion multiplies where the exact one divides, and must
// give the same float for every number of up to 24 bits of digits and up
// to 10 decimals: checked for each such pair.
TEST(CsvRecordPaths, QuickConversionIsTheDivisionForEveryShortDecimal) {
  static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                           1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
  for (int decimals = 0; decimals <= 10; ++decimals) {
    SCOPED_TRACE(decimals);
    std::uint32_t wrong = 0;
    for (std::uint32_t digits = 0; digits <= (1u << 24); ++digits) {
      const float quick = DecimalQuotient(digits, decimals);
      const float exact = static_cast<float>(digits) / kPowersOfTen[decimals];
      wrong += std::bit_cast<std::uint32_t>(quick) != std::bit_cast<std::uint32_t>(exact) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0u);
  }
}

// A plain record read in place, where the line runs on into the next, is
// the line's record; a record that does not end its line right after the
// quoted name, or a line too long to keep whole, is left to the lines.
TEST(CsvRecordPaths, PlainRecordInPlaceIsTheLinesRecord) {
  const char* lines[] = {
      "-0.12345,51.5,\"Kew, Gardens\"",
      "-0.12346 , 51.50000 , \"Kew  \"",
      "-0.0,-0.00001,\"minus nought\"",
      "1.5 52 'The Pub'",
      "+3.,.5,\"x\"",
      "1.5e1,-2E-1,\"\"",
      "179.99999,-89.123456789,\"many digits\"",
      "12345678.5,1.23456789,\"nine digits\"",
      "16777217,0.16777217,\"past 24 bits\"",
      "1,2,\"a name of more than one hundred and twenty-eight characters, which is cut "
      "when it is stored in the table, whatever follows it here, even at the line end\"",
  };
  for (const char* line : lines) {
    for (const std::string end : {"\n", "\r\n"}) {
      const std::string bytes = line + end + "2,3,\"next line\"\n";
      SCOPED_TRACE(bytes);
      PoiView in_place;
      std::size_t length = 0;
      ASSERT_EQ(ReadPlainCsvLine(bytes, 256, &in_place, &length), std::strlen(line) + end.size());
      EXPECT_EQ(length, std::strlen(line));
      CsvRecord plain;
      ASSERT_TRUE(ReadPlainCsvRecord(line, &plain));
      EXPECT_EQ((CsvRecord{in_place.longitude, in_place.latitude, in_place.name}), plain);
      EXPECT_EQ(std::signbit(in_place.longitude), std::signbit(*plain.longitude));
    }
  }
  const std::string others[] = {
      "1,2,\"x\"",          "1,2,\"x\" \n",     "1,2,\"x\"\r",   "1,2,\"x\"\r\r\n", "1,2,word\n",
      "1,2,\"x\"/\n",      " 1,2,\"x\"\n",     ";1,2,\"x\"\n",  "1,2,\"x\ny\"\n",   "1,2,'it''s'\n",
      "1,2,\"x\"y\n",      "\n",              "",
      "1,2,\"a longer name with a\ttab in it\"\n", "1,2,\"a longer name without its quote\n\"\n",
      "1,2,\"" + std::string(251, 'n') + "\"\n",  // 257 characters
  };
  for (const std::string& bytes : others) {
    SCOPED_TRACE(bytes);
    PoiView poi{9.0f, 8.0f, "untouched"};
    std::size_t length = 7;
    EXPECT_EQ(ReadPlainCsvLine(bytes, 256, &poi, &length), 0u);
    EXPECT_TRUE(poi.longitude == 9.0f && poi.latitude == 8.0f && poi.name == "untouched");
    EXPECT_EQ(length, 7u);
  }
  // 256 characters are kept whole.
  const std::string longest = "1,2,\"" + std::string(250, 'n') + "\"\n";
  PoiView poi;
  std::size_t length = 0;
  EXPECT_EQ(ReadPlainCsvLine(longest, 256, &poi, &length), 257u);
}

// Both readers refuse a semicolon outside quotes and a number with two
// signs. gfortran reads "13,40495;52,52001;Berlin" as 13 and 40495 (its
// list input takes a semicolon for a comma); a record does not: a comma
// and blanks are its only separators.
TEST(CsvRecordPaths, RefuseSemicolonsAndDoubleSigns) {
  const char* lines[] = {
      "13,40495;52,52001;Berlin", "1,2,semi;colon", "1;2;'x'",   "1 ;2 'x'",   "1,2,'x';",
      "1,2,\"x\";y",              "1,;2,'x'",       "2*;'x'",    "1,2,x;",     "+-5,1,'x'",
      "1,+-5,'x'",                "-+5,1,'x'",      "++5,1,'x'", "+-5.5e1,1,'x'",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    CsvRecord record;
    EXPECT_FALSE(ReadPlainCsvRecord(line, &record));
    char name_buffer[kNameLength];
    std::size_t column = 0;
    EXPECT_EQ(ReadListCsvRecord(line, name_buffer, &record, &column), CsvFault::kBadValue);
  }
  // Inside quotes, and after the name, a semicolon is only a character.
  const char* fine[] = {"1,2,'semi;colon'", "1,2,\"a;b\"", "1,2,x ;after the name", "+5,-5,'x'"};
  for (const char* line : fine) {
    SCOPED_TRACE(line);
    General general;
    ReadListDirected(line, &general);
    CsvRecord quick;
    ASSERT_TRUE(ReadPlainCsvRecord(line, &quick));
    EXPECT_EQ(quick, general.record);
  }
}

TEST(CsvRecordPaths, LeavesUnusualLinesToTheGeneralReader) {
  const char* lines[] = {
      ",5,'null longitude'", "6/",          "1,2,",       "1,2",          "2*7.25,'x'",
      "1\t2\t'tab'",         "1,2,'it''s'", "1,2,'open",  "1,2,\"x\"y",   "1,2,3*x",
      "1.5D1,2,'d'",         "1e50,2,'big'", "abc,1,'x'", "1,,2,'x'",     "1,2,a\rb",
      "1.5+3,2,'x'",         "",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    CsvRecord record{9.0f, 8.0f, "untouched"};
    EXPECT_FALSE(ReadPlainCsvRecord(line, &record));
    EXPECT_EQ(record, (CsvRecord{9.0f, 8.0f, "untouched"}));
  }
}

}  // namespace
}  // namespace nodalux::formats
