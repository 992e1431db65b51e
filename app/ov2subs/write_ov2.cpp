// WRITE_OV2: saves the group as an OV2 overlay by running the converter on a
// temporary POI file, and puts the default symbol bitmap beside the overlay.
#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "app/formats/number_fields.h"
#include "app/formats/temp_file.h"
#include "app/ov2subs/ov2_files.h"
#include "app/ov2subs/temp_file.h"
#include "app/shared/file_names.h"
#include "app/shared/file_reports.h"
#include "app/shared/group_file.h"
#include "app/shared/list_view.h"
#include "app/shared/program_state.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/dialogs/common_dialogs.h"
#include "toolkit/os/files.h"

namespace nodalux {
namespace {

namespace os = zarv::os;

constexpr int kCommandEnded = 32;
// Lines of the converter's own messages shown in the box, at most.
constexpr std::size_t kMessageLines = 4;
constexpr std::size_t kMessageLineLength = 200;

bool Exists(const std::string& path) {
  os::FileInfo info;
  return os::Door().stat(path, false, &info) == 0;
}

// The temporary file's full name, for a message that names it.
std::string TempFilePath() {
  std::string folder;
  if (os::Door().current_folder(&folder) != 0) return std::string(ov2::kTempFileName);
  return folder + (folder.ends_with('/') ? "" : "/") + std::string(ov2::kTempFileName);
}

// The last lines the converter wrote on its standard error.
std::string ConverterMessages(std::string_view errors) {
  std::vector<std::string_view> lines;
  while (!errors.empty()) {
    const std::size_t end = std::min(errors.find('\n'), errors.size());
    std::string_view line = errors.substr(0, end);
    errors.remove_prefix(std::min(end + 1, errors.size()));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line.substr(0, kMessageLineLength));
  }
  std::string text;
  const std::size_t first = lines.size() > kMessageLines ? lines.size() - kMessageLines : 0;
  for (std::size_t i = first; i < lines.size(); ++i) {
    if (!text.empty()) text.push_back('\r');
    text.append(lines[i]);
  }
  return text;
}

// Why the converter did not write `output`, from how it ended and what it
// said; empty when it did.
std::string ConverterFailure(const std::string& output) {
  const std::string name(ov2::kConverterName);
  if (zarv::LastCommandStatus() != kCommandEnded) {
    const int error = zarv::InfoStatus(3);
    return name + " could not be started" + (error != 0 ? ": " + OsErrorText(error) : "") + ".";
  }
  const std::string said = ConverterMessages(zarv::LastCommandErrors());
  const int status = zarv::LastCommandExitStatus();
  std::string ending;
  if (status < 0) {
    ending = name + " was stopped by signal " + std::to_string(-status) + ".";
  } else if (status > 0) {
    ending = name + " ended with exit status " + std::to_string(status) + ".";
  } else if (!os::IsRegularFile(output)) {
    ending = name + " wrote no file.";
  } else {
    return {};
  }
  return said.empty() ? ending : said + "\r" + ending;
}

}  // namespace

void WRITE_OV2() {
  const std::string output(OUTPUT_FILE.trimmed());
  if (!CheckOutputFile(output)) return;

  // The temporary file is never written through a link of that name, and
  // need not outlive a crash.
  const std::string temp_name(ov2::kTempFileName);
  std::string trailer;
  formats::AppendTempTrailer(trailer, std::clamp(GROUP_COUNT, 0, MAX_POI));
  os::AtomicOptions temp_options;
  temp_options.follow_links = false;
  temp_options.durable = false;
  const GroupFileResult temp = WriteGroupFile(temp_name, formats::kTempFileHeader,
                                              formats::AppendTempRecord, trailer, temp_options);
  if (temp.error != 0) {
    ReportFileError("Cannot create file:", TempFilePath(),
                    temp.error == ELOOP ? "It is a symbolic link, which is left alone."
                                        : OsErrorText(temp.error));
    zarv::InfoStatus(1);
    return;
  }
  SCROLL("Running TomTom MakeOV2 utility");

  // An overlay left from earlier must not pass for the new one. Exactly the
  // chosen file goes: its name is never a pattern.
  if (Exists(output)) zarv::DeleteOneFile(output);
  IOsCommand(ov2::ConverterCommand(PROGRAM_FOLDER.trimmed(), output), 3);
  const std::string failure = ConverterFailure(output);

  // The device shows the bitmap of the overlay's name as its POI icon; one
  // the user already has is never overwritten. No overlay, no bitmap.
  if (failure.empty()) {
    zarv::Text<256> root;
    zarv::Text<3> extension;
    EXTN(output, root, extension);
    const std::string symbol = ov2::SymbolFileName(root.trimmed());
    if (!Exists(symbol)) {
      zarv::CopyOneFile(DEFAULT_SYMBOL_PATH.trimmed(), symbol);
      if (Exists(symbol)) SCROLL("Default symbol file copied to ... " + FIT(symbol, 50).str());
    }
  }

  if (Exists(temp_name)) zarv::DeleteOneFile(temp_name);

  if (failure.empty()) {
    SCROLL(std::string(zarv::LeftTrimmed(IntegerField(GROUP_COUNT, 5))) + " points written");
  } else {
    WMessageBox(0, 3, 1, "The OV2 file was not written:\r" + output + "\r" + failure, "Converter Error");
  }
  // Failures of the calls above have been dealt with here; leave no code
  // pending for whoever asks next.
  zarv::InfoStatus(1);
}

}  // namespace nodalux
