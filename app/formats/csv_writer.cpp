#include "app/formats/csv_writer.h"

#include "app/formats/number_fields.h"
#include "toolkit/core/text.h"

namespace nodalux::formats {
namespace {

// A coordinate as "(F10.5)" without its leading blanks: -0.12346, 51.50000.
void AppendCoordinate(std::string& out, float value) { AppendFixedField(out, value, 10, 5, true); }

}  // namespace

void AppendCsvRecord(std::string& out, float longitude, float latitude, std::string_view name) {
  AppendCoordinate(out, longitude);
  out.push_back(',');
  AppendCoordinate(out, latitude);
  out.append(",\"");
  for (const char c : zarv::Trimmed(name)) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.append("\"\r\n");
}

}  // namespace nodalux::formats
