// Reading an AutoRoute CSV file record by record, in bounded memory.
//
// Line 1 must begin with "Longitude". Every later line is empty (skipped), a
// comment (";" after leading blanks, skipped) or a record (csv_record.h).
// Only the first 256 characters of a line count.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/formats/byte_source.h"
#include "app/formats/chunked_input.h"
#include "app/formats/csv_record.h"
#include "app/formats/poi_view.h"

namespace nodalux::formats {

inline constexpr std::size_t kCsvLineLength = 256;
inline constexpr std::string_view kCsvHeaderStart = "Longitude";

enum class CsvStop {
  kReading,    // not stopped yet
  kEnd,        // every line was read
  kNotCsv,     // line 1 does not begin with "Longitude"
  kBadRecord,  // a record line cannot be read: fault(), line(), column()
  kReadError,  // the file could not be read further: os_error()
};

class CsvReader {
 public:
  explicit CsvReader(ByteSource& source);

  // The next record; null once reading has stopped (see stop()). The record
  // and its name stay valid until the next call. (Held here rather than
  // handed out as a value: its optional values are slow to copy.)
  const CsvRecord* next() {
    // The everyday record, read where it lies in the buffer together with
    // its line end; anything else line by line.
    if (header_checked_ && stop_ == CsvStop::kReading) {
      PoiView poi;
      std::size_t length = 0;
      if (const std::size_t used = ReadPlainCsvLine(lines_.input().held(), kCsvLineLength, &poi, &length)) {
        lines_.take(length, used, &line_);
        record_.longitude = poi.longitude;
        record_.latitude = poi.latitude;
        // Its parts one by one: the parse stored them so, and reading them
        // back as one wider copy would wait for both stores.
        const char* const name = poi.name.data();
        const std::size_t name_size = poi.name.size();
        record_.name.emplace(name, name_size);
        return &record_;
      }
    }
    return next_line();
  }

  CsvStop stop() const { return stop_; }
  // The line last read (a record, or the one that stopped reading) as it
  // was read: leading blanks kept, cut to 256 characters.
  std::string_view line() const { return line_.text; }
  std::uint64_t line_number() const { return line_.number; }
  std::uint64_t line_offset() const { return line_.offset; }
  // For kBadRecord: what is wrong, and the 1-based column where reading
  // stopped.
  CsvFault fault() const { return fault_; }
  std::size_t column() const { return column_; }
  int os_error() const { return os_error_; }

 private:
  const CsvRecord* next_line();
  bool header_ok();
  const CsvRecord* finish(CsvStop why);

  LineReader lines_;
  Line line_;
  bool header_checked_ = false;
  CsvStop stop_ = CsvStop::kReading;
  CsvFault fault_ = CsvFault::kNone;
  std::size_t column_ = 0;
  int os_error_ = 0;
  CsvRecord record_;
  std::array<char, kNameLength> name_buffer_{};
};

}  // namespace nodalux::formats
