#include "app/formats/csv_reader.h"

#include <algorithm>
#include <cstring>

#include "toolkit/core/text.h"

namespace nodalux::formats {

CsvReader::CsvReader(ByteSource& source) : lines_(source, kCsvLineLength) {}

const CsvRecord* CsvReader::finish(CsvStop why) {
  stop_ = why;
  if (why == CsvStop::kReadError) os_error_ = lines_.error();
  return nullptr;
}

// Looks only at the start of line 1, so a file that is not CSV is refused
// without reading its first line to the end, however long it is.
bool CsvReader::header_ok() {
  ChunkedInput& input = lines_.input();
  input.hold(kCsvHeaderStart.size());
  std::string_view start = input.held().substr(0, kCsvHeaderStart.size());
  start = start.substr(0, std::min(start.find('\n'), start.size()));
  return start == kCsvHeaderStart;
}

const CsvRecord* CsvReader::next_line() {
  if (stop_ != CsvStop::kReading) return nullptr;
  if (!header_checked_) {
    header_checked_ = true;
    const bool ok = header_ok();
    if (lines_.error() != 0) return finish(CsvStop::kReadError);
    if (lines_.input().held().empty()) return finish(CsvStop::kEnd);  // no line at all
    if (!ok) {
      line_ = {lines_.input().held().substr(0, 0), 1, 0, false};
      return finish(CsvStop::kNotCsv);
    }
    if (!lines_.next(&line_)) return finish(lines_.error() ? CsvStop::kReadError : CsvStop::kEnd);
  }
  while (lines_.next(&line_)) {
    if (line_.text.empty()) continue;
    const std::string_view text = zarv::LeftTrimmed(line_.text);
    if (text.starts_with(';')) continue;
    std::size_t column = 0;
    fault_ = ReadCsvRecord(text, name_buffer_.data(), &record_, &column);
    if (fault_ != CsvFault::kNone) {
      column_ = column + 1 + (line_.text.size() - text.size());
      return finish(CsvStop::kBadRecord);
    }
    return &record_;
  }
  return finish(lines_.error() ? CsvStop::kReadError : CsvStop::kEnd);
}

}  // namespace nodalux::formats
