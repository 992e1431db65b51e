// WRITE_OV2: saves the group as an OV2 overlay by running the converter on a
// temporary POI file, and puts the default symbol bitmap beside the overlay.
#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>
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

// What `path` names (links followed), if anything.
std::optional<os::FileInfo> Look(const std::string& path) {
  os::FileInfo info;
  if (os::Door().stat(path, true, &info) != 0) return std::nullopt;
  return info;
}

// Whether `path` now holds a file other than the one it held `before`: the
// converter replaces the file (ours renames a new one into place; another
// may write it over).
bool NewFileAt(const std::string& path, const std::optional<os::FileInfo>& before) {
  const std::optional<os::FileInfo> now = Look(path);
  if (!now || now->kind != os::Kind::kRegular) return false;
  if (!before) return true;
  return now->device != before->device || now->inode != before->inode ||
         now->modified_ns != before->modified_ns || now->size != before->size;
}

// The temporary file's full name, for a message that names it.
std::string TempFilePath() {
  std::string folder;
  if (os::Door().current_folder(&folder) != 0) return std::string(ov2::kTempFileName);
  return folder + (folder.ends_with('/') ? "" : "/") + std::string(ov2::kTempFileName);
}

// Why the temporary file could not be made: something that is not a file
// holds its name (and stays as it is), or the system's reason.
std::string TempFileFailure(int error) {
  os::FileInfo info;
  if (error != EISDIR && os::Door().stat(std::string(ov2::kTempFileName), false, &info) == 0 &&
      info.kind != os::Kind::kRegular) {
    return "It is " + std::string(os::NotAFileName(info.kind)) + ", which is left alone.";
  }
  return OsErrorText(error);
}

// The lines of the temporary file end in CR LF: a line feed inside a name
// would cut its line in two. The first group entry whose name holds one, or
// 0.
std::int32_t NameWithLineBreak() {
  const std::int32_t count = std::clamp(GROUP_COUNT, 0, MAX_POI);
  for (std::int32_t i = 1; i <= count; ++i) {
    if (GROUP_TABLE.at(i).name.find('\n') != std::string_view::npos) return i;
  }
  return 0;
}

// The lines the converter wrote on its standard error, as the box shows
// them: the first few, and its last word.
std::string ConverterMessages(std::string_view errors) {
  std::vector<std::string_view> lines;
  while (!errors.empty()) {
    const std::size_t end = std::min(errors.find('\n'), errors.size());
    std::string_view line = errors.substr(0, end);
    errors.remove_prefix(std::min(end + 1, errors.size()));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line.substr(0, kMessageLineLength));
  }
  if (lines.size() > kMessageLines) {
    lines.erase(lines.begin() + (kMessageLines - 1), lines.end() - 1);
  }
  std::string text;
  for (const std::string_view line : lines) {
    if (!text.empty()) text.push_back('\r');
    text.append(line);
  }
  return text;
}

// Why the converter did not write `output` (which held `before` when it
// started), from how it ended and what it said; empty when it did.
std::string ConverterFailure(const std::string& output, const std::optional<os::FileInfo>& before) {
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
  } else if (!NewFileAt(output, before)) {
    ending = name + " wrote no file.";
  } else {
    return {};
  }
  return said.empty() ? ending : said + "\r" + ending;
}

void ReportNotWritten(const std::string& output, std::string_view why) {
  WMessageBox(0, 3, 1, "The OV2 file was not written:\r" + output + "\r" + std::string(why),
              "Converter Error");
}

// The default symbol beside the overlay, unless a bitmap of that name is
// there already (the user's own is never overwritten). The copy is made
// and flushed to the disk while the converter runs, and put in place only
// once the overlay is there: no overlay, no bitmap. A copy that fails is
// named in a message; the overlay stands.
class DefaultSymbol {
 public:
  explicit DefaultSymbol(const std::string& output) {
    zarv::Text<256> root;
    zarv::Text<3> extension;
    EXTN(output, root, extension);
    symbol_ = ov2::SymbolFileName(root.trimmed());
  }

  // While the converter runs: reports nothing.
  void prepare() {
    // Only a name that surely holds nothing gets the copy.
    os::FileInfo info;
    looked_ = os::Door().stat(symbol_, false, &info);
    if (looked_ == ENOENT) copy_.stage(DEFAULT_SYMBOL_PATH.trimmed(), symbol_);
  }

  // Once the overlay is written.
  void place() {
    if (looked_ == kNotLooked) prepare();
    // A bitmap that came meanwhile is kept too.
    os::FileInfo info;
    int error = looked_ == ENOENT ? os::Door().stat(symbol_, false, &info) : looked_;
    if (error == 0) return;
    if (error == ENOENT) {
      zarv::InfoStatus(1);
      copy_.commit();
      const int failed = zarv::InfoStatus(1);
      error = zarv::InfoStatus(3);
      if (failed == 0) {
        SCROLL("Default symbol file copied to ... " + FIT(symbol_, 50).str());
        return;
      }
    }
    ReportFileError("Cannot copy the default symbol file to:", symbol_,
                    error != 0 ? OsErrorText(error) : std::string());
  }

 private:
  std::string symbol_;
  static constexpr int kNotLooked = -1;
  int looked_ = kNotLooked;
  zarv::StagedCopy copy_;
};

}  // namespace

void WRITE_OV2() {
  const std::string output(OUTPUT_FILE.trimmed());
  if (!CheckOutputFile(output)) return;
  if (const std::int32_t i = NameWithLineBreak()) {
    const std::string_view name = GROUP_TABLE.at(i).name;
    ReportNotWritten(output, "The name of POI " + std::to_string(i) + " (\"" +
                                 std::string(name.substr(0, name.find('\n'))) +
                                 "...\") holds a line break,\rwhich the converter's input cannot carry.");
    return;
  }

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
    ReportFileError("Cannot create file:", TempFilePath(), TempFileFailure(temp.error));
    zarv::InfoStatus(1);
    return;
  }
  SCROLL("Running TomTom MakeOV2 utility");

  // The converter replaces the overlay only once the new one is whole, so an
  // old overlay stays until then; that it was replaced is checked below, so
  // it can never pass for the new one.
  const std::optional<os::FileInfo> before = Look(output);
  // The device shows the bitmap of the overlay's name as its POI icon.
  DefaultSymbol symbol(output);
  zarv::RunCommandWhile(ov2::ConverterCommand(PROGRAM_FOLDER.trimmed(), output), 3,
                        [&] { symbol.prepare(); });
  const std::string failure = ConverterFailure(output, before);
  if (failure.empty()) symbol.place();

  if (Exists(temp_name)) zarv::DeleteOneFile(temp_name);

  if (failure.empty()) {
    SCROLL(std::string(zarv::LeftTrimmed(IntegerField(GROUP_COUNT, 5))) + " points written");
  } else {
    ReportNotWritten(output, failure);
  }
  // Failures of the calls above have been dealt with here; leave no code
  // pending for whoever asks next.
  zarv::InfoStatus(1);
}

}  // namespace nodalux
