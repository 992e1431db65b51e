// READ_CSV: appends the records of the AutoRoute CSV file INPUT_FILE to the
// POI table.
#include <optional>
#include <string>
#include <string_view>

#include "app/formats/csv_reader.h"
#include "app/nodalux/poi_files.h"
#include "app/shared/file_names.h"
#include "app/shared/file_reports.h"
#include "app/shared/list_view.h"
#include "app/shared/program_state.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {
namespace {

constexpr std::string_view kRecordError = "Error reading POI record";
constexpr std::string_view kRecordFormat = "Longitude, Latitude,\"Description\"";

void ReportNotCsv() {
  WMessageBox(0, 4, 1,
              "This file contains records that are\r"
              "not in AutoRoute CSV format.\r"
              "Please select a different file.",
              "File Format Error");
  SCROLL("  Error: Not in AutoRoute CSV format");
}

}  // namespace

bool READ_CSV() {
  const std::string path(INPUT_FILE.trimmed());
  zarv::os::InputFile file;
  if (!OpenPoiFile(path, &file)) return false;
  formats::FileSource source(file);
  formats::CsvReader reader(source);

  READ_COUNT = 0;
  while (true) {
    const formats::CsvRecord* const record = reader.next();
    if (!record && reader.stop() != formats::CsvStop::kBadRecord) break;
    // A record line, read or not: the table must have room for it first.
    if (POI_COUNT >= MAX_POI) {
      ReportStorageLimit();
      return true;
    }
    if (!record) {
      ERROR(2, kRecordError, kRecordFormat, reader.line(), "quit");
      return true;
    }
    // A null value, or an item after a slash, leaves what the slot held.
    if (record->longitude && record->latitude && record->name) {
      POI_TABLE.put(POI_COUNT + 1, *record->longitude, *record->latitude, *record->name);
    } else {
      POI_TABLE.update(POI_COUNT + 1, record->longitude, record->latitude, record->name);
    }
    ++POI_COUNT;
    ++READ_COUNT;
  }
  switch (reader.stop()) {
    case formats::CsvStop::kNotCsv:
      ReportNotCsv();
      return false;
    case formats::CsvStop::kReadError:
      ReportFileError("Cannot read file:", path, OsErrorText(reader.os_error()));
      return false;
    default:
      SCROLL(std::to_string(READ_COUNT) + " points read");
      return true;
  }
}

}  // namespace nodalux
