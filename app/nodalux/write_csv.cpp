// WRITE_CSV: writes the group as an AutoRoute CSV file, atomically: a
// failed save leaves the old file as it was.
#include <algorithm>
#include <string>

#include "app/formats/csv_writer.h"
#include "app/nodalux/poi_files.h"
#include "app/shared/file_reports.h"
#include "app/shared/group_file.h"
#include "app/shared/list_view.h"
#include "app/shared/program_state.h"

namespace nodalux {

void WRITE_CSV() {
  const std::string path(OUTPUT_FILE.trimmed());
  if (!CheckOutputFile(path)) return;
  const GroupFileResult result = WriteGroupFile(path, formats::kCsvHeader, formats::AppendCsvRecord, {}, {});
  if (result.error != 0) {
    ReportFileError(result.created ? "Cannot write file:" : "Cannot create file:", path,
                    OsErrorText(result.error));
    return;
  }
  SCROLL(std::to_string(std::clamp(GROUP_COUNT, 0, MAX_POI)) + " points written");
}

}  // namespace nodalux
