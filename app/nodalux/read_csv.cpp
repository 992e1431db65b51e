// Reading AutoRoute CSV files into the POI table.
//
// Line 1 must begin with "Longitude". Every later line is empty (skipped), a
// comment (";" after leading blanks, skipped) or a record: longitude,
// latitude and name read list-directed, so quoted names, null values, "/"
// and repeat counts mean what they mean in Fortran list input.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "app/nodalux/app_state.h"
#include "app/nodalux/file_names.h"
#include "app/nodalux/list_view.h"
#include "app/nodalux/poi_data.h"
#include "app/nodalux/plain_record.h"
#include "app/nodalux/poi_files.h"
#include "app/nodalux/read_whole_file.h"
#include "toolkit/core/fortran_io.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {
namespace {

constexpr std::size_t kLineLength = 256;  // the rest of a longer line is ignored
constexpr std::string_view kHeaderStart = "Longitude";
constexpr std::string_view kRecordError = "Error reading POI record";
constexpr std::string_view kRecordFormat = "Longitude, Latitude,\"Description\"";

// Walks the lines of a file held in memory: a line ends at LF, a CR before
// the LF is not part of it, and only its first kLineLength characters count.
class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes) : bytes_(bytes) {}

  std::optional<std::string_view> next() {
    if (pos_ >= bytes_.size()) return std::nullopt;
    const char* start = bytes_.data() + pos_;
    const std::size_t left = bytes_.size() - pos_;
    const void* lf = std::memchr(start, '\n', left);
    std::size_t length = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : left;
    pos_ += lf ? length + 1 : length;
    if (length > 0 && start[length - 1] == '\r') --length;
    return std::string_view(start, std::min(length, kLineLength));
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// Reads longitude, latitude and name into `slot`. A null value, or the items
// after a slash, leave what the slot held. False when the line does not
// hold the three values.
bool ReadRecord(std::string_view text, POI_RECORD& slot) {
  if (ReadPlainRecord(text, slot)) return true;
  using Status = zarv::fortran::ListReader::Status;
  zarv::fortran::ListReader reader(text);
  const auto taken = [](Status s) {
    return s == Status::kValue || s == Status::kNull || s == Status::kSlash;
  };
  Status status = reader.read(slot.LONGITUDE);
  if (!taken(status)) return false;
  if (status == Status::kSlash) return true;
  status = reader.read(slot.LATITUDE);
  if (!taken(status)) return false;
  if (status == Status::kSlash) return true;
  return taken(reader.read(slot.NAME.span()));
}

void ReportNotCsv() {
  WMessageBox(0, 4, 1,
              "This file contains records that are\r"
              "not in AutoRoute CSV format.\r"
              "Please select a different file.",
              "File Format Error");
  SCROLL("  Error: Not in AutoRoute CSV format");
  INPUT_FILE.clear();
}

}  // namespace

void READ_CSV() {
  const std::string path(INPUT_FILE.trimmed());
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) {
    ReportFileError("Cannot open file:", path);
    return;
  }

  LineCursor lines(*bytes);
  const std::optional<std::string_view> header = lines.next();
  if (header && !header->starts_with(kHeaderStart)) {
    ReportNotCsv();
    return;
  }
  READ_COUNT = 0;
  while (const std::optional<std::string_view> line = header ? lines.next() : std::nullopt) {
    if (line->empty()) continue;
    const std::string_view text = zarv::LeftTrimmed(*line);
    if (text.starts_with(';')) continue;
    if (POI_COUNT >= MAX_POI) {
      ReportStorageLimit();
      return;
    }
    if (!ReadRecord(text, POI_TABLE[POI_COUNT + 1])) {
      // The slot may hold part of the line, but it is not counted.
      ERROR(2, kRecordError, kRecordFormat, *line, "quit");
      return;
    }
    ++POI_COUNT;
    ++READ_COUNT;
  }
  SCROLL(std::to_string(READ_COUNT) + " points read");
}

}  // namespace nodalux
