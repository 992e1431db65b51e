// The CSV reader as a value: bytes in, records or a stop with its line,
// column and kind out, the same wherever the chunks of input end.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "app/formats/csv_reader.h"
#include "tests/app/formats/failing_source.h"

namespace nodalux::formats {
namespace {

struct Expected {
  std::optional<float> longitude, latitude;
  std::optional<std::string> name;
  bool operator==(const Expected&) const = default;
};

struct Outcome {
  std::vector<Expected> records;
  CsvStop stop = CsvStop::kReading;
  std::uint64_t line_number = 0;
  std::string line;
  std::size_t column = 0;
  CsvFault fault = CsvFault::kNone;
  bool operator==(const Outcome&) const = default;
};

Outcome ReadAll(ByteSource& source) {
  CsvReader reader(source);
  Outcome out;
  while (const auto record = reader.next()) {
    out.records.push_back({record->longitude, record->latitude,
                           record->name ? std::optional<std::string>(*record->name) : std::nullopt});
  }
  out.stop = reader.stop();
  if (out.stop == CsvStop::kBadRecord) {
    out.line_number = reader.line_number();
    out.line = std::string(reader.line());
    out.column = reader.column();
    out.fault = reader.fault();
  }
  return out;
}

Outcome ReadAll(std::string_view bytes, std::size_t step = static_cast<std::size_t>(-1)) {
  MemorySource source(bytes, step);
  return ReadAll(source);
}

TEST(CsvReader, LinesRecordsAndStops) {
  struct Case {
    const char* what;
    std::string bytes;
    Outcome outcome;
  };
  const std::vector<Case> cases = {
      {"no line at all", "", {{}, CsvStop::kEnd}},
      {"header alone without a line end", "Longitude", {{}, CsvStop::kEnd}},
      {"a short first line", "Lon\n1,2,x\n", {{}, CsvStop::kNotCsv}},
      {"an empty first line", "\nLongitude\n", {{}, CsvStop::kNotCsv}},
      {"lower case", "longitude\n", {{}, CsvStop::kNotCsv}},
      {"records, comments, empty lines and CR LF",
       "Longitude,Latitude,Name\r\n-0.12345,51.5,\"Kew, Gardens\"\r\n\r\n  ; comment\n1 2 'two words'\n3,4,last",
       {{{-0.12345f, 51.5f, "Kew, Gardens"}, {1.0f, 2.0f, "two words"}, {3.0f, 4.0f, "last"}}, CsvStop::kEnd}},
      {"null values and a slash leave items out",
       "Longitude\n,5,'new'\n6/\n7,,,\n",
       {{{std::nullopt, 5.0f, "new"}, {6.0f, std::nullopt, std::nullopt}, {7.0f, std::nullopt, std::nullopt}},
        CsvStop::kEnd}},
      {"a doubled quote, from the general path",
       "Longitude\n1,2,'it''s'\n", {{{1.0f, 2.0f, "it's"}}, CsvStop::kEnd}},
      {"a bad coordinate names its line and column",
       "Longitude\n1,2,a\n  x1,2,b\n3,4,c\n",
       {{{1.0f, 2.0f, "a"}}, CsvStop::kBadRecord, 3, "  x1,2,b", 6, CsvFault::kBadValue}},
      {"a line of blanks is a record that ends too soon",
       "Longitude\n   \r\n", {{}, CsvStop::kBadRecord, 2, "   ", 4, CsvFault::kTooShort}},
      {"two numbers and no name", "Longitude\n1,2\n", {{}, CsvStop::kBadRecord, 2, "1,2", 4, CsvFault::kTooShort}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const std::size_t step : {std::size_t{1}, std::size_t{3}, c.bytes.size() + 1}) {
      SCOPED_TRACE(step);
      EXPECT_EQ(ReadAll(c.bytes, step), c.outcome);
    }
  }
}

TEST(CsvReader, OnlyTheFirst256CharactersOfALineCount) {
  const std::string name200(200, 'n');
  const std::string long_line = "5,6,\"" + name200 + "\"" + std::string(100000, ' ') + "tail";
  const std::string bytes = "Longitude\n" + long_line + "\n1,2," + std::string(300, 'w') + "\n7,8,z";
  for (const std::size_t step : {std::size_t{1000}, bytes.size()}) {
    const Outcome out = ReadAll(bytes, step);
    ASSERT_EQ(out.stop, CsvStop::kEnd);
    ASSERT_EQ(out.records.size(), 3u);
    EXPECT_EQ(out.records[0], (Expected{5.0f, 6.0f, std::string(128, 'n')}));
    EXPECT_EQ(out.records[1], (Expected{1.0f, 2.0f, std::string(128, 'w')}));  // a word cut at 256
    EXPECT_EQ(out.records[2], (Expected{7.0f, 8.0f, "z"}));
  }
  // A bad line is quoted as it was read: its first 256 characters.
  const Outcome bad = ReadAll("Longitude\nx" + std::string(400, 'y') + "\n");
  EXPECT_EQ(bad.stop, CsvStop::kBadRecord);
  EXPECT_EQ(bad.line, "x" + std::string(255, 'y'));
}

TEST(CsvReader, AFileThatIsNotCsvIsRefusedFromItsFirstBytes) {
  // A first line far longer than the buffer is never read to its end.
  FailingSource source("Not CSV" + std::string(10'000'000, 'x'), 10'000'000);
  EXPECT_EQ(ReadAll(source).stop, CsvStop::kNotCsv);
  EXPECT_LE(source.given(), ChunkedInput::kChunk);
}

TEST(CsvReader, AReadErrorStopsWithItsErrorNumber) {
  std::string bytes = "Longitude\n";
  for (int i = 0; i < 20000; ++i) bytes += "1,2,'record " + std::to_string(i) + "'\n";
  for (const std::size_t good : {std::size_t{0}, std::size_t{5}, std::size_t{100000}}) {
    SCOPED_TRACE(good);
    FailingSource source(bytes, good);
    CsvReader reader(source);
    std::size_t records = 0;
    while (reader.next()) ++records;
    EXPECT_EQ(reader.stop(), CsvStop::kReadError);
    EXPECT_EQ(reader.os_error(), EIO);
    EXPECT_LT(records, 20000u);
  }
}

}  // namespace
}  // namespace nodalux::formats
