// READ_OV2: appends the POI of the OV2 file INPUT_FILE to the POI table.
#include <optional>
#include <string>

#include "app/nodalux/app_state.h"
#include "app/nodalux/file_names.h"
#include "app/nodalux/read_whole_file.h"
#include "app/nodalux/poi_data.h"
#include "app/nodalux/poi_files.h"
#include "app/nodalux/number_fields.h"
#include "app/ov2subs/ov2_decoder.h"
#include "app/ov2subs/ov2_reader.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {
namespace {

void ReportUnsupportedType(std::int8_t type) {
  const std::string text = "Unsupported record type:" + IntegerField(type, 2) +
                           "\rPlease inform the author";
  WMessageBox(0, 4, 1, text, "Vexilo Error");
}

}  // namespace

void AppendOv2Records(std::span<const unsigned char> bytes) {
  READ_COUNT = 0;
  ov2::Decoder decoder(bytes);
  while (const auto poi = decoder.next()) {
    if (POI_COUNT >= MAX_POI) {
      ReportStorageLimit();
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
    ReportFileError("Cannot open file:", path);
    return;
  }
  AppendOv2Records({reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size()});
}

}  // namespace nodalux
