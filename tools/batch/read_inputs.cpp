#include "tools/batch/read_inputs.h"

#include <optional>

#include "app/formats/byte_source.h"
#include "app/formats/csv_reader.h"
#include "app/formats/gpx/gpx_reader.h"
#include "app/formats/number_fields.h"
#include "app/formats/ov2_decoder.h"
#include "toolkit/os/files.h"

namespace nodalux::batch {
namespace {

namespace os = zarv::os;

constexpr std::string_view kRecordError = "Error reading POI record";
constexpr std::string_view kRecordFormat = "Longitude, Latitude,\"Description\"";

std::string StorageLimit() {
  return "Too many POI entries in file. Maximum is" + IntegerField(static_cast<long long>(kMaxPoi), 6);
}

// Opens `path` for reading, refusing what cannot hold POI: a folder, a
// named pipe, a device (which might never end).
bool Open(const std::string& path, os::InputFile& file, Messages& messages) {
  if (const int error = file.open(path)) {
    messages.error(path, "Cannot open file: " + Reason(error));
    return false;
  }
  const os::Kind kind = file.info().kind;
  if (kind == os::Kind::kDirectory) {
    messages.error(path, "Cannot open file: " + Reason(EISDIR));
    return false;
  }
  if (kind != os::Kind::kRegular) {
    messages.error(path, "Cannot read from " + std::string(os::NotAFileName(kind)) +
                             ": Only a file can hold POI.");
    return false;
  }
  return true;
}

bool ReadCsv(const std::string& path, formats::ByteSource& source, PoiSet& set, Messages& messages) {
  formats::CsvReader reader(source);
  while (true) {
    const formats::CsvRecord* const record = reader.next();
    if (!record && reader.stop() != formats::CsvStop::kBadRecord) break;
    // A record line, read or not: the set must have room for it first.
    if (set.full()) {
      messages.error(AtLine(path, reader.line_number()), StorageLimit());
      return false;
    }
    if (!record) {
      messages.error(AtLine(path, reader.line_number()),
                     std::string(kRecordError) + ": '" + std::string(reader.line()) +
                         "' (Correct format is: " + std::string(kRecordFormat) + ")");
      return false;
    }
    // An item without a value leaves what the desktop program's table slot
    // held, and a slot is new at every record of a run: zero and blank.
    set.add(record->longitude.value_or(0.0f), record->latitude.value_or(0.0f),
            record->name.value_or(std::string_view()), NameKind::kBytes);
  }
  switch (reader.stop()) {
    case formats::CsvStop::kNotCsv:
      messages.error(AtLine(path, 1),
                     "This file contains records that are not in AutoRoute CSV format.");
      return false;
    case formats::CsvStop::kReadError:
      messages.error(path, "Cannot read file: " + Reason(reader.os_error()));
      return false;
    default:
      return true;
  }
}

bool ReadOv2(const std::string& path, formats::ByteSource& source, PoiSet& set, Messages& messages) {
  formats::Ov2Decoder decoder(source);
  while (const std::optional<formats::PoiView> poi = decoder.next()) {
    if (set.full()) {
      messages.error(AtByte(path, decoder.record_offset()), StorageLimit());
      return false;
    }
    set.add(poi->longitude, poi->latitude, poi->name, NameKind::kBytes);
  }
  switch (decoder.stop()) {
    case formats::Ov2Stop::kUnsupportedType:
      messages.error(AtByte(path, decoder.stop_offset()),
                     "Unsupported record type: " + std::to_string(decoder.bad_type()));
      return false;
    case formats::Ov2Stop::kReadError:
      messages.error(path, "Cannot read file: " + Reason(decoder.os_error()));
      return false;
    case formats::Ov2Stop::kTruncated:
      // The desktop program reads such a file as far as it goes; say so.
      messages.warning(AtByte(path, decoder.stop_offset()),
                       "the file ends inside a record, which is left out");
      return true;
    default:
      return true;
  }
}

bool ReadGpx(const std::string& path, formats::ByteSource& source, PoiSet& set, Messages& messages) {
  gpx::Reader reader(source);
  while (const std::optional<formats::Poi> poi = reader.next()) {
    if (set.full()) {
      messages.error(path, StorageLimit());
      return false;
    }
    set.add(poi->longitude, poi->latitude, poi->name, NameKind::kUtf8);
  }
  if (const std::optional<gpx::Error>& error = reader.error()) {
    if (error->kind == gpx::ErrorKind::kReadFailed) {
      messages.error(path, "Cannot read file: " + error->message);
    } else {
      messages.error(AtLine(path, error->line), error->message);
    }
    return false;
  }
  if (reader.track_points() > 0) {
    messages.warning(path, std::to_string(reader.track_points()) +
                               " track points are not POI and are left out");
  }
  return true;
}

}  // namespace

bool ReadInput(const std::string& path, FileFormat format, PoiSet& set, Messages& messages) {
  os::InputFile file;
  if (!Open(path, file, messages)) return false;
  formats::FileSource source(file);
  switch (format) {
    case FileFormat::kOv2:
      return ReadOv2(path, source, set, messages);
    case FileFormat::kGpx:
      return ReadGpx(path, source, set, messages);
    case FileFormat::kCsv:
      break;
  }
  return ReadCsv(path, source, set, messages);
}

}  // namespace nodalux::batch
