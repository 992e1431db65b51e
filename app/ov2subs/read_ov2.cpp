// READ_OV2: appends the POI of the OV2 file INPUT_FILE to the POI table.
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/nodalux/app_state.h"
#include "app/nodalux/poi_data.h"
#include "app/nodalux/poi_files.h"
#include "app/nodalux/number_fields.h"
#include "app/ov2subs/ov2_decoder.h"
#include "app/ov2subs/ov2_reader.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {
namespace {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::vector<unsigned char>> ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return std::nullopt;
  const std::streamoff size = file.tellg();
  if (size < 0 || !file.seekg(0)) return std::nullopt;
  try {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

void ReportUnsupportedType(std::int8_t type) {
  const std::string text = "Unsupported record type:" + IntegerField(type, 2) +
                           "\rPlease inform the author";
  WMessageBox(0, 4, 1, text, "Vexilo Error");
}

void ReportStorageLimit() {
  const std::string text =
      "Too many POI entries in file.\rMaximum is" + IntegerField(MAX_POI, 6);
  WMessageBox(0, 4, 1, text, "Storage limit");
}

}  // namespace

void AppendOv2Records(std::span<const unsigned char> bytes) {
  READ_COUNT = 0;
  ov2::Decoder decoder(bytes);
  while (const auto poi = decoder.next()) {
    if (POI_COUNT >= MAX_POI) {
      ReportStorageLimit();
      QUIT_REQUESTED = true;
      return;
    }
    ++POI_COUNT;
    ++READ_COUNT;
    POI_RECORD& record = POI_TABLE[static_cast<std::size_t>(POI_COUNT)];
    record.LONGITUDE = ov2::DegreesFromOv2(poi->longitude);
    record.LATITUDE = ov2::DegreesFromOv2(poi->latitude);
    record.NAME.assign(poi->name);
  }
  // A file cut inside a record simply ends there: what came before is kept.
  if (decoder.stop() == ov2::Stop::kUnsupportedType) {
    ReportUnsupportedType(decoder.bad_type());
    QUIT_REQUESTED = true;
  }
}

void READ_OV2() {
  READ_COUNT = 0;
  const std::string path = INPUT_FILE.str();
  const auto bytes = ReadWholeFile(path);
  if (!bytes) {
    WMessageBox(0, 3, 1, "Cannot open file:\r" + path, "File Error");
    return;
  }
  AppendOv2Records(*bytes);
}

}  // namespace nodalux
