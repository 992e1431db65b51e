// READ_OV2: appends the POI of the OV2 file INPUT_FILE to the POI table.
#include <string>

#include "app/formats/number_fields.h"
#include "app/formats/ov2_decoder.h"
#include "app/ov2subs/ov2_files.h"
#include "app/ov2subs/ov2_reader.h"
#include "app/shared/file_reports.h"
#include "app/shared/program_state.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {
namespace {

void ReportUnsupportedType(std::int8_t type) {
  const std::string text = "Unsupported record type:" + IntegerField(type, 2) +
                           "\rPlease inform the author";
  WMessageBox(0, 4, 1, text, "Vexilo Error");
}

}  // namespace

bool AppendOv2Records(formats::ByteSource& source, std::string_view path) {
  READ_COUNT = 0;
  formats::Ov2Decoder decoder(source);
  while (const std::optional<formats::PoiView> poi = decoder.next()) {
    if (POI_COUNT >= MAX_POI) {
      ReportStorageLimit();
      return true;
    }
    POI_TABLE.put(POI_COUNT + 1, poi->longitude, poi->latitude, poi->name);
    ++POI_COUNT;
    ++READ_COUNT;
  }
  switch (decoder.stop()) {
    case formats::Ov2Stop::kUnsupportedType:
      ReportUnsupportedType(decoder.bad_type());
      QUIT_REQUESTED = true;
      return true;
    case formats::Ov2Stop::kReadError:
      ReportFileError("Cannot read file:", path, OsErrorText(decoder.os_error()));
      return false;
    default:  // a file cut inside a record simply ends there
      return true;
  }
}

void AppendOv2Records(std::span<const unsigned char> bytes) {
  formats::MemorySource source(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  AppendOv2Records(source, "");
}

bool READ_OV2() {
  READ_COUNT = 0;
  const std::string path(INPUT_FILE.trimmed());
  zarv::os::InputFile file;
  if (!OpenPoiFile(path, &file)) return false;
  formats::FileSource source(file);
  return AppendOv2Records(source, path);
}

}  // namespace nodalux
