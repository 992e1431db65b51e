#include "app/ov2subs/temp_file.h"

#include "app/nodalux/number_fields.h"

namespace nodalux::ov2 {

std::string TempFileText(std::span<const POI_RECORD> group) {
  constexpr std::string_view kEnd = "\r\n";
  std::string text;
  text.reserve(64 + group.size() * 48);
  text.append(";* Created by Nodalux").append(kEnd);
  text.append(";* Longitude, Latitude, \"Name\"").append(kEnd);
  for (const POI_RECORD& poi : group) {
    text.append(FixedField(poi.LONGITUDE, 10, 5)).append(",");
    text.append(FixedField(poi.LATITUDE, 10, 5)).append(",\"");
    text.append(poi.NAME.trimmed()).append("\"").append(kEnd);
  }
  text.append(";* ")
      .append(IntegerField(static_cast<long long>(group.size()), 5))
      .append(" POI records written.")
      .append(kEnd);
  return text;
}

std::string ConverterCommand(std::string_view program_folder, std::string_view output_file) {
  std::string command(program_folder);
  command.append(kConverterName).append(" ").append(kTempFileName);
  command.append(" \"").append(output_file).append("\"");
  return command;
}

std::string SymbolFileName(std::string_view root) { return std::string(root) + ".bmp"; }

}  // namespace nodalux::ov2
