// WRITE_OV2: saves the group as an OV2 overlay by running the converter on a
// temporary POI file, and puts the default symbol bitmap beside the overlay.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "app/nodalux/app_state.h"
#include "app/nodalux/file_names.h"
#include "app/nodalux/list_view.h"
#include "app/nodalux/poi_data.h"
#include "app/nodalux/poi_files.h"
#include "app/nodalux/number_fields.h"
#include "app/ov2subs/temp_file.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {
namespace {

constexpr int kCommandEnded = 32;

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return !file.fail();
}

// The temporary file's full name, for a message that names it.
std::string TempFilePath() {
  std::error_code error;
  const auto folder = std::filesystem::current_path(error);
  const std::filesystem::path name(ov2::kTempFileName);
  return error ? name.string() : (folder / name).string();
}

}  // namespace

void WRITE_OV2() {
  const std::string temp_name(ov2::kTempFileName);
  const std::span<const POI_RECORD> group(&GROUP_TABLE[1],
                                          static_cast<std::size_t>(std::clamp(GROUP_COUNT, 0, MAX_POI)));
  if (!WriteTextFile(temp_name, ov2::TempFileText(group))) {
    // Remove what was written of it, but never a folder of that name.
    std::error_code error;
    if (std::filesystem::is_regular_file(temp_name, error)) std::filesystem::remove(temp_name, error);
    ReportFileError("Cannot create file:", TempFilePath());
    zarv::InfoStatus(1);
    return;
  }
  SCROLL("Running TomTom MakeOV2 utility");

  // An overlay left from earlier must not pass for the new one.
  const std::string output = OUTPUT_FILE.str();
  if (FileExists(output)) IOsDeleteFile(output);
  const bool old_output_stays = FileExists(output);
  IOsCommand(ov2::ConverterCommand(PROGRAM_FOLDER.trimmed(), output), 3);
  const bool converted =
      !old_output_stays && zarv::LastCommandStatus() == kCommandEnded && FileExists(output);

  // The device shows the bitmap of the overlay's name as its POI icon; one
  // the user already has is never overwritten. No overlay, no bitmap.
  if (converted) {
    zarv::Text<256> root;
    zarv::Text<3> extension;
    EXTN(output, root, extension);
    const std::string symbol = ov2::SymbolFileName(root.trimmed());
    if (!FileExists(symbol)) {
      IOsCopyFile(DEFAULT_SYMBOL_PATH.trimmed(), symbol);
      if (FileExists(symbol)) {
        SCROLL("Default symbol file copied to ... " + FIT(symbol, 50).str());
      }
    }
  }

  if (FileExists(temp_name)) IOsDeleteFile(temp_name);

  if (converted) {
    SCROLL(std::string(zarv::LeftTrimmed(IntegerField(GROUP_COUNT, 5))) + " points written");
  } else {
    WMessageBox(0, 3, 1,
                "The OV2 file was not written:\r" + output + "\r" + std::string(ov2::kConverterName) +
                    " failed.",
                "Converter Error");
  }
  // Failures of the calls above have been dealt with here; leave no code
  // pending for whoever asks next.
  zarv::InfoStatus(1);
}

}  // namespace nodalux
