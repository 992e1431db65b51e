#include "tests/app/nodalux/data_read_csv_fuzz.h"

#include <gtest/gtest.h>

#include <bit>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/formats/csv_reader.h"
#include "toolkit/core/text.h"

#include "app/shared/program_state.h"
#include "app/shared/list_view.h"
#include "app/nodalux/poi_files.h"

namespace nodalux::testing {

void FuzzReadCsv(std::span<const std::uint8_t> bytes, const std::filesystem::path& scratch_file,
                 std::int32_t preloaded) {
  {
    std::ofstream out(scratch_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  POI_COUNT = preloaded;
  READ_COUNT = 0;
  QUIT_REQUESTED = false;
  INPUT_FILE.assign(scratch_file.string());

  READ_CSV();

  ASSERT_GE(POI_COUNT, preloaded);
  ASSERT_LE(POI_COUNT, MAX_POI);
  ASSERT_GE(READ_COUNT, 0);
  ASSERT_EQ(POI_COUNT - preloaded, READ_COUNT);
  ASSERT_GE(LIST_COUNT, 0);
  ASSERT_LE(LIST_COUNT, LIST_CAPACITY);
}

namespace {

struct CsvOutcome {
  std::vector<formats::CsvRecord> records;
  std::vector<std::string> names;  // the records' names, kept past the next call
  formats::CsvStop stop;
  std::uint64_t line_number;
  std::size_t column;
};

CsvOutcome ReadCsvBytes(std::string_view bytes, std::size_t step) {
  formats::MemorySource source(bytes, step);
  formats::CsvReader reader(source);
  CsvOutcome out{};
  while (const formats::CsvRecord* record = reader.next()) {
    EXPECT_LE(reader.line().size(), formats::kCsvLineLength);
    out.names.emplace_back(record->name.value_or("<none>"));
    EXPECT_LE(out.names.back().size(), formats::kNameLength);
    out.records.push_back({record->longitude, record->latitude, std::nullopt});
  }
  out.stop = reader.stop();
  out.line_number = reader.line_number();
  out.column = reader.column();
  return out;
}

// The same bytes line by line, every record line through ReadCsvRecord:
// what the reader must give, whichever road it takes for a record.
CsvOutcome ReadCsvLineByLine(std::string_view bytes) {
  formats::MemorySource source(bytes);
  formats::LineReader lines(source, formats::kCsvLineLength);
  CsvOutcome out{};
  out.stop = formats::CsvStop::kEnd;
  formats::Line line;
  if (!lines.next(&line)) return out;  // no header line
  char name_buffer[formats::kNameLength];
  while (lines.next(&line)) {
    out.line_number = line.number;
    if (line.text.empty()) continue;
    const std::string_view text = zarv::LeftTrimmed(line.text);
    if (text.starts_with(';')) continue;
    formats::CsvRecord record;
    std::size_t column = 0;
    if (formats::ReadCsvRecord(text, name_buffer, &record, &column) != formats::CsvFault::kNone) {
      out.stop = formats::CsvStop::kBadRecord;
      return out;
    }
    out.names.emplace_back(record.name.value_or("<none>"));
    record.name.reset();
    out.records.push_back(record);
  }
  return out;
}

// Bit for bit: a NaN read from the file must come back as the same NaN.
std::optional<std::uint32_t> Bits(const std::optional<float>& f) {
  return f ? std::optional<std::uint32_t>(std::bit_cast<std::uint32_t>(*f)) : std::nullopt;
}

// The same records, names and stop.
void ExpectSameReading(const CsvOutcome& got, const CsvOutcome& want) {
  ASSERT_EQ(got.records.size(), want.records.size());
  for (std::size_t i = 0; i < want.records.size(); ++i) {
    ASSERT_EQ(Bits(got.records[i].longitude), Bits(want.records[i].longitude));
    ASSERT_EQ(Bits(got.records[i].latitude), Bits(want.records[i].latitude));
  }
  ASSERT_EQ(got.names, want.names);
  ASSERT_EQ(got.stop, want.stop);
}

}  // namespace

void FuzzCsvReader(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const CsvOutcome whole = ReadCsvBytes(bytes, size);
  if (whole.stop == formats::CsvStop::kEnd || whole.stop == formats::CsvStop::kBadRecord) {
    const CsvOutcome by_line = ReadCsvLineByLine(bytes);
    ExpectSameReading(by_line, whole);
    if (whole.stop == formats::CsvStop::kBadRecord) {
      ASSERT_EQ(by_line.line_number, whole.line_number);
    }
  }
  ASSERT_NE(whole.stop, formats::CsvStop::kReading);
  ASSERT_NE(whole.stop, formats::CsvStop::kReadError);
  for (const std::size_t step : {std::size_t{1}, std::size_t{5}}) {
    const CsvOutcome chunked = ReadCsvBytes(bytes, step);
    ExpectSameReading(chunked, whole);
    ASSERT_EQ(chunked.line_number, whole.line_number);
    ASSERT_EQ(chunked.column, whole.column);
  }
}

// A plain record read in place, with its line end and whatever follows,
// must be the line's record, read either way.
void FuzzCsvLinePath(std::string_view bytes) {
  formats::PoiView poi;
  std::size_t length = 0;
  const std::size_t used = formats::ReadPlainCsvLine(bytes, formats::kCsvLineLength, &poi, &length);
  if (used == 0) return;
  ASSERT_LE(length, formats::kCsvLineLength);
  ASSERT_TRUE(bytes.substr(length, used - length) == "\n" || bytes.substr(length, used - length) == "\r\n");
  const std::string_view line = bytes.substr(0, length);
  ASSERT_EQ(line.find('\n'), std::string_view::npos);
  const formats::CsvRecord fast{poi.longitude, poi.latitude, poi.name};
  formats::CsvRecord plain;
  ASSERT_TRUE(formats::ReadPlainCsvRecord(line, &plain)) << ::testing::PrintToString(std::string(line));
  ASSERT_EQ(fast, plain);
  char name_buffer[formats::kNameLength];
  formats::CsvRecord general;
  std::size_t column = 0;
  ASSERT_EQ(formats::ReadListCsvRecord(line, name_buffer, &general, &column), formats::CsvFault::kNone);
  ASSERT_EQ(fast, general) << ::testing::PrintToString(std::string(line));
}

void FuzzCsvRecordPaths(const std::uint8_t* data, std::size_t size) {
  FuzzCsvLinePath(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string_view text(reinterpret_cast<const char*>(data), size);
  text = zarv::LeftTrimmed(text.substr(0, std::min(text.find('\n'), formats::kCsvLineLength)));
  formats::CsvRecord fast;
  if (!formats::ReadPlainCsvRecord(text, &fast)) return;
  char name_buffer[formats::kNameLength];
  formats::CsvRecord general;
  std::size_t column = 0;
  ASSERT_EQ(formats::ReadListCsvRecord(text, name_buffer, &general, &column), formats::CsvFault::kNone)
      << ::testing::PrintToString(std::string(text));
  ASSERT_TRUE(fast.longitude && fast.latitude && fast.name);
  ASSERT_EQ(fast, general) << ::testing::PrintToString(std::string(text));
}

}  // namespace nodalux::testing
