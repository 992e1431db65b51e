#include "tools/makeov2/converter.h"

#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

#include "tools/makeov2/atomic_file.h"
#include "tools/makeov2/ov2_encoder.h"
#include "tools/makeov2/temp_line.h"

namespace makeov2 {

int ConvertText(std::string_view input_name, std::string_view input,
                const std::string& output_path, std::ostream& errors) {
  std::vector<Ov2Poi> pois;
  std::size_t line_number = 0;
  while (!input.empty()) {
    ++line_number;
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);

    ParsedLine parsed = ParseTempLine(line);
    if (parsed.kind == ParsedLine::Kind::kRecord) {
      pois.push_back(std::move(parsed.poi));
    } else if (parsed.kind == ParsedLine::Kind::kBad) {
      errors << "makeov2: " << input_name << " line " << line_number << ": " << parsed.error
             << '\n';
    }
  }
  if (pois.empty()) {
    errors << "makeov2: " << input_name << ": no POI record to write\n";
    return kFailed;
  }

  const auto bytes = EncodeOv2(std::move(pois));
  if (!bytes) {
    errors << "makeov2: " << output_path << ": too large for an OV2 file\n";
    return kFailed;
  }
  const std::string failure = WriteFileAtomically(output_path, *bytes);
  if (!failure.empty()) {
    errors << "makeov2: " << failure << '\n';
    return kFailed;
  }
  return kOk;
}

int RunConverter(int argc, const char* const* argv, std::ostream& errors) {
  if (argc != 3) {
    errors << "usage: MakeOV2_v1-1 INPUT OUTPUT\n"
              "Converts a POI text file (longitude, latitude, \"name\" per line) into an OV2 "
              "overlay.\n";
    return kUsage;
  }
  const std::string input_name = argv[1];
  std::ifstream file(input_name, std::ios::binary);
  if (!file) {
    errors << "makeov2: cannot read " << input_name << '\n';
    return kFailed;
  }
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) {
    errors << "makeov2: cannot read " << input_name << '\n';
    return kFailed;
  }
  return ConvertText(input_name, text, argv[2], errors);
}

}  // namespace makeov2
