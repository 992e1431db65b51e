// Writing the group as an AutoRoute CSV file.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/nodalux/app_state.h"
#include "app/nodalux/file_names.h"
#include "app/nodalux/list_view.h"
#include "app/nodalux/poi_data.h"
#include "app/nodalux/poi_files.h"
#include "app/nodalux/number_fields.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A coordinate as "(F10.5)" without its leading blanks: -0.12346, 51.50000.
void AppendCoordinate(std::string& line, float value) {
  line.append(zarv::LeftTrimmed(FixedField(value, 10, 5)));
}

// The name in double quotes, a quote inside it doubled so that the line
// reads back whole.
void AppendQuotedName(std::string& line, std::string_view name) {
  line.push_back('"');
  for (const char c : name) {
    if (c == '"') line.push_back('"');
    line.push_back(c);
  }
  line.push_back('"');
}

}  // namespace

void WRITE_CSV() {
  const std::string path(OUTPUT_FILE.trimmed());
  FileHandle file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    ReportFileError("Cannot create file:", path);
    return;
  }

  std::string text = "Longitude,Latitude,Name\r\n";
  const std::int32_t count = std::clamp(GROUP_COUNT, 0, MAX_POI);
  text.reserve(text.size() + static_cast<std::size_t>(count) * 64);
  for (std::int32_t i = 1; i <= count; ++i) {
    const POI_RECORD& poi = GROUP_TABLE[i];
    AppendCoordinate(text, poi.LONGITUDE);
    text.push_back(',');
    AppendCoordinate(text, poi.LATITUDE);
    text.push_back(',');
    AppendQuotedName(text, poi.NAME.trimmed());
    text.append("\r\n");
  }

  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  // A full disk often shows only when the last block goes out on close.
  if (std::fclose(file.release()) != 0 || !written) {
    ReportFileError("Cannot write file:", path);
    return;
  }
  SCROLL(std::to_string(count) + " points written");
}

}  // namespace nodalux
