#include "tools/makeov2/converter.h"

#include <cstring>
#include <ostream>
#include <vector>

#include "app/formats/chunked_input.h"
#include "app/formats/ov2_encoder.h"
#include "app/formats/temp_file.h"
#include "toolkit/os/files.h"

namespace makeov2 {
namespace {

namespace formats = nodalux::formats;

// Longer lines cannot be POI lines (a name keeps 128 bytes).
constexpr std::size_t kMaxLine = 16 * 1024;

std::string Reason(int error) { return std::strerror(error); }

// The POI read so far; their names live in one block of text.
struct Pois {
  struct Entry {
    std::int32_t longitude, latitude;
    std::size_t name_at, name_size;
  };
  std::vector<Entry> entries;
  std::string names;

  void add(const formats::Ov2Record& record) {
    entries.push_back({record.longitude, record.latitude, names.size(), record.name.size()});
    names.append(record.name);
  }
  std::vector<formats::Ov2Record> records() const {
    std::vector<formats::Ov2Record> out;
    out.reserve(entries.size());
    const std::string_view all = names;
    for (const Entry& e : entries) out.push_back({e.longitude, e.latitude, all.substr(e.name_at, e.name_size)});
    return out;
  }
};

}  // namespace

int Convert(std::string_view input_name, formats::ByteSource& input, const std::string& output_path,
            std::ostream& errors) {
  Pois pois;
  formats::LineReader lines(input, kMaxLine);
  formats::Line line;
  while (lines.next(&line)) {
    if (line.cut) {
      errors << "makeov2: " << input_name << " line " << line.number << ": the line is too long\n";
      continue;
    }
    const formats::TempLine parsed = formats::ParseTempLine(line.text);
    if (parsed.kind == formats::TempLine::Kind::kRecord) {
      pois.add(parsed.record);
    } else if (parsed.kind == formats::TempLine::Kind::kBad) {
      errors << "makeov2: " << input_name << " line " << line.number << ": " << parsed.error << '\n';
    }
  }
  if (lines.error() != 0) {
    errors << "makeov2: cannot read " << input_name << ": " << Reason(lines.error()) << '\n';
    return kFailed;
  }
  if (pois.entries.empty()) {
    errors << "makeov2: " << input_name << ": no POI record to write\n";
    return kFailed;
  }

  std::vector<formats::Ov2Record> records = pois.records();
  const auto bytes = formats::EncodeOv2(records);
  if (!bytes) {
    errors << "makeov2: " << output_path << ": too large for an OV2 file\n";
    return kFailed;
  }
  if (const int error = zarv::os::WriteFileAtomically(output_path, *bytes)) {
    errors << "makeov2: cannot write " << output_path << ": " << Reason(error) << '\n';
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
  zarv::os::InputFile file;
  if (const int error = file.open(input_name)) {
    errors << "makeov2: cannot read " << input_name << ": " << Reason(error) << '\n';
    return kFailed;
  }
  if (file.info().kind != zarv::os::Kind::kRegular) {
    errors << "makeov2: cannot read " << input_name << ": not a file\n";
    return kFailed;
  }
  formats::FileSource source(file);
  return Convert(input_name, source, argv[2], errors);
}

}  // namespace makeov2
