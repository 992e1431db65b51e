#include "app/shared/file_reports.h"

#include <cerrno>
#include <cstring>

#include "app/formats/number_fields.h"
#include "app/shared/program_state.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {

namespace os = zarv::os;

void ReportFileError(std::string_view what, std::string_view path, std::string_view reason) {
  std::string text(what);
  text.append("\r").append(path);
  if (!reason.empty()) text.append("\r").append(reason);
  WMessageBox(0, 3, 1, text, "File Error");
}

std::string OsErrorText(int error) {
  char buffer[256];
  // The GNU strerror_r returns a pointer that need not be `buffer`.
  const char* text = strerror_r(error, buffer, sizeof buffer);
  return text != nullptr ? std::string(text) : std::string();
}

void ReportStorageLimit() {
  WMessageBox(0, 4, 1, "Too many POI entries in file.\rMaximum is" + IntegerField(MAX_POI, 6),
              "Storage limit");
  QUIT_REQUESTED = true;
}

bool OpenPoiFile(const std::string& path, os::InputFile* file) {
  // A folder opens on Linux but holds no records: it counts as a file that
  // cannot be opened, like one that vanished.
  if (file->open(path) != 0 || file->info().kind == os::Kind::kDirectory) {
    file->close();
    ReportFileError("Cannot open file:", path);
    return false;
  }
  if (file->info().kind != os::Kind::kRegular) {
    const os::Kind kind = file->info().kind;
    file->close();
    ReportFileError("Cannot read from " + std::string(os::NotAFileName(kind)) + ":", path,
                    "Only a file can hold POI.");
    return false;
  }
  return true;
}

bool CheckOutputFile(const std::string& path) {
  const os::Kind kind = os::KindOf(path);
  if (kind == os::Kind::kMissing || kind == os::Kind::kRegular) return true;
  if (kind == os::Kind::kDirectory) {
    ReportFileError("Cannot create file:", path, OsErrorText(EISDIR));
  } else {
    ReportFileError("Cannot write to " + std::string(os::NotAFileName(kind)) + ":", path,
                    "Only a file can hold POI.");
  }
  return false;
}

}  // namespace nodalux
