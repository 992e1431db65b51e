#include "tools/makeov2/converter.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
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

// The POI read so far. Their names are copied out of the input's buffer
// into blocks that never move, so that each record can point at its name
// as it is read, and the records go to the encoder as they stand.
class Pois {
 public:
  Pois() { records_.reserve(4096); }

  void add(const formats::Ov2Record& record) {
    std::string_view name;
    if (!record.name.empty()) {
      if (room_ - used_ < record.name.size()) {
        room_ = std::max(kBlock, record.name.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(room_));
        used_ = 0;
      }
      char* const at = blocks_.back().get() + used_;
      std::memcpy(at, record.name.data(), record.name.size());
      used_ += record.name.size();
      name = std::string_view(at, record.name.size());
    }
    records_.push_back({record.longitude, record.latitude, name});
  }
  std::vector<formats::Ov2Record>& records() { return records_; }

 private:
  static constexpr std::size_t kBlock = 64 * 1024;
  std::vector<formats::Ov2Record> records_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t room_ = 0;  // bytes in the last block
  std::size_t used_ = 0;  // of them, those that hold names
};

// At most this many bad lines are named one by one; a summary follows.
constexpr int kLinesNamed = 10;
// Quoted texts in messages are cut to this many bytes.
constexpr std::size_t kQuoteBytes = 60;

// A text from the input as a message shows it: cut short, on one line.
std::string Shown(std::string_view text) {
  std::string shown(text.substr(0, kQuoteBytes));
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 32) c = '?';
  }
  if (text.size() > kQuoteBytes) shown += "...";
  return shown;
}

// What is wrong with a refused line: the reason, the field at fault and the
// POI it belongs to, as far as the line got.
std::string Complaint(const formats::TempLine& parsed) {
  std::string text(parsed.error);
  if (!parsed.field.empty()) text.append(" (").append(Shown(parsed.field)).append(")");
  if (!parsed.record.name.empty()) text.append(" in POI \"").append(Shown(parsed.record.name)).append("\"");
  return text;
}

}  // namespace

int Convert(std::string_view input_name, formats::ByteSource& input, const std::string& output_path,
            std::ostream& errors, bool needs_trailer) {
  Pois pois;
  formats::LineReader lines(input, kMaxLine);
  formats::Line line;
  long long bad_lines = 0;
  // Every line must become a POI of the file, or nothing is written: an
  // overlay that silently lacks some POI would pass for the whole group.
  const auto refuse = [&](std::string_view what) {
    if (++bad_lines <= kLinesNamed) {
      errors << "makeov2: " << input_name << ':' << line.number << ": " << what << '\n';
    }
  };
  std::optional<long long> trailer_count;
  std::uint64_t trailer_line = 0;
  while (lines.next(&line)) {
    if (line.cut) {
      refuse("the line is too long");
      continue;
    }
    const formats::TempLine parsed = formats::ParseTempLine(line.text);
    switch (parsed.kind) {
      case formats::TempLine::Kind::kRecord:
        pois.add(parsed.record);
        break;
      case formats::TempLine::Kind::kBad:
        refuse(Complaint(parsed));
        break;
      case formats::TempLine::Kind::kTrailer:
        trailer_count = parsed.count;
        trailer_line = line.number;
        break;
      case formats::TempLine::Kind::kSkip:
        break;
    }
  }
  if (lines.error() != 0) {
    errors << "makeov2: cannot read " << input_name << ": " << Reason(lines.error()) << '\n';
    return kFailed;
  }
  if (bad_lines > 0) {
    errors << "makeov2: " << input_name << ": " << bad_lines
           << (bad_lines == 1 ? " line cannot" : " lines cannot")
           << " be converted; no OV2 file written\n";
    return kFailed;
  }
  // The count the writer put at the end must be the count read: a file cut
  // short, or lines broken apart, would otherwise lose POI unnoticed.
  const long long count = static_cast<long long>(pois.records().size());
  if (needs_trailer && !trailer_count) {
    errors << "makeov2: " << input_name << ": the input ended before its closing count line; "
           << "no OV2 file written\n";
    return kFailed;
  }
  if (trailer_count && *trailer_count != count) {
    errors << "makeov2: " << input_name << ':' << trailer_line << ": the file says "
           << *trailer_count << " POI records were written, but it holds " << count
           << "; no OV2 file written\n";
    return kFailed;
  }
  if (pois.records().empty()) {
    errors << "makeov2: " << input_name << ": no POI record to write\n";
    return kFailed;
  }

  const auto bytes = formats::EncodeOv2(pois.records());
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
              "overlay; INPUT - is standard input, which must end with the count line.\n";
    return kUsage;
  }
  // A program that pipes the POI in may stop half-way: only input that
  // ends with its count line is whole.
  const bool from_pipe = std::string_view(argv[1]) == "-";
  const std::string input_name = from_pipe ? "standard input" : argv[1];
  zarv::os::InputFile file;
  if (const int error = from_pipe ? file.adopt(STDIN_FILENO) : file.open(input_name)) {
    errors << "makeov2: cannot read " << input_name << ": " << Reason(error) << '\n';
    return kFailed;
  }
  if (!from_pipe && file.info().kind != zarv::os::Kind::kRegular) {
    errors << "makeov2: cannot read " << input_name << ": not a file\n";
    return kFailed;
  }
  formats::FileSource source(file);
  return Convert(input_name, source, argv[2], errors, from_pipe);
}

}  // namespace makeov2
