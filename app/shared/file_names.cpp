// File-name helpers and the "Data Error" report.
#include "app/shared/file_names.h"

#include <algorithm>
#include <string>

#include "app/shared/list_view.h"
#include "app/shared/program_state.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {
namespace {
constexpr char kCR = '\r';
}  // namespace

char FolderSeparator() {
  const char separator = State().path_separator_for_test;
  return separator != 0 ? separator : zarv::PathSeparator();
}

void SetPathSeparatorForTest(char separator) { State().path_separator_for_test = separator; }

void EXTN(std::string_view FILENAME, zarv::TextSpan ROOTNAME, zarv::TextSpan EXTENSION) {
  const std::string_view name = zarv::Trimmed(FILENAME);
  const std::size_t dot = name.rfind('.');
  // Without a dot the "extension" is the start of the name, as the callers
  // expect: only "ov2" picks the OV2 routines.
  const std::size_t ext_start = dot == std::string_view::npos ? 0 : dot + 1;
  ROOTNAME.assign(dot == std::string_view::npos ? std::string_view{} : name.substr(0, dot));
  EXTENSION.assign(FILENAME.substr(std::min(ext_start, FILENAME.size())));
  for (std::size_t i = 0; i < EXTENSION.size(); ++i) {
    char& c = EXTENSION[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

void ROOT(zarv::TextSpan PATH) {
  const std::string_view path = PATH.trimmed();
  const std::size_t last = path.rfind(FolderSeparator());
  if (last == std::string_view::npos) {
    PATH.clear();
    return;
  }
  std::fill(PATH.data() + last + 1, PATH.data() + PATH.size(), ' ');
}

void ERROR(std::int32_t LEVEL, std::string_view TEXT1, std::string_view TEXT2,
           std::string_view TEXT3, std::string_view ACTION) {
  std::string text;
  text.append(zarv::Trimmed(TEXT1)).append(2, kCR);
  text.append("In record: ").append(zarv::Trimmed(TEXT3)).push_back(kCR);
  if (LEVEL == 2) {
    text.append("Correct format is: ");
  } else if (LEVEL != 1) {
    text.append("Reading: ");
  }
  text.append(zarv::Trimmed(TEXT2));
  WMessageBox(0, 3, 1, text, "Data Error");

  const std::string_view action = zarv::Trimmed(ACTION);
  if (action == "quit") {
    QUIT_REQUESTED = true;
  } else if (action == "clear") {
    WindowClearArea();
    LIST_COUNT = 0;
  }
}

}  // namespace nodalux
