#include "tools/batch/write_ov2.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/formats/byte_source.h"
#include "app/formats/ov2_decoder.h"
#include "app/formats/temp_file.h"
#include "toolkit/os/files.h"
#include "tools/batch/batch_options.h"

namespace nodalux::batch {
namespace {

namespace os = zarv::os;

constexpr std::string_view kTempPattern = "nodalux-batch-XXXXXX";

// A temporary file of our own, removed when this ends.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    close();
    if (!path_.empty()) os::Door().unlink(path_);
  }

  int create(const std::string& folder) {
    std::string pattern = folder;
    if (!pattern.empty() && !pattern.ends_with('/')) pattern += '/';
    pattern += kTempPattern;
    int fd = -1;
    if (const int error = os::Door().make_temp(&pattern, &fd)) {
      path_.clear();
      failed_path_ = std::move(pattern);
      return error;
    }
    fd_ = fd;
    path_ = std::move(pattern);
    return 0;
  }
  int write(std::string_view bytes) { return os::WriteAll(os::Door(), fd_, bytes); }
  int close() {
    if (fd_ < 0) return 0;
    const int error = os::Door().close(fd_);
    fd_ = -1;
    return error;
  }
  // The name made, or the pattern that could not be made.
  const std::string& path() const { return path_.empty() ? failed_path_ : path_; }

 private:
  std::string path_;
  std::string failed_path_;
  int fd_ = -1;
};

// The group as the converter's POI file, as the desktop program writes it.
bool WriteConverterInput(const PoiSet& set, Group group, NameConverter& names, TempFile& file,
                         Messages& messages) {
  std::string text(formats::kTempFileHeader);
  text.reserve(OutputFile::kChunk + 4096);
  int error = 0;
  for (const std::uint32_t i : group) {
    const PoiRef poi = set[i];
    formats::AppendTempRecord(text, poi.longitude, poi.latitude, names.bytes(poi));
    if (text.size() >= OutputFile::kChunk) {
      if ((error = file.write(text)) != 0) break;
      text.clear();
    }
  }
  if (error == 0) {
    formats::AppendTempTrailer(text, static_cast<long long>(group.size()));
    error = file.write(text);
  }
  if (error == 0) error = file.close();
  if (error != 0) {
    messages.error(file.path(), "Cannot write file: " + Reason(error));
    return false;
  }
  return true;
}

bool StartsWithMz(const std::string& path) {
  os::InputFile file;
  if (file.open(path) != 0) return false;
  char magic[2] = {};
  std::size_t got = 0;
  return file.read(magic, 2, &got) == 0 && got == 2 && magic[0] == 'M' && magic[1] == 'Z';
}

// A program along PATH, or empty.
std::string FindOnPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const std::size_t colon = rest.find(':');
    std::string folder(rest.substr(0, colon));
    if (!folder.empty()) {
      const std::string candidate = folder + "/" + std::string(name);
      if (os::IsRegularFile(candidate) && os::Door().access(candidate, X_OK) == 0) return candidate;
    }
    if (colon == std::string_view::npos) return {};
    rest.remove_prefix(colon + 1);
  }
}

// Passes on what the converter said, one message per line.
void PassOn(std::string_view said, Messages& messages) {
  while (!said.empty()) {
    const std::size_t end = std::min(said.find('\n'), said.size());
    std::string_view line = said.substr(0, end);
    said.remove_prefix(std::min(end + 1, said.size()));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (!line.empty()) messages.warning(kConverterName, line);
  }
}

// Runs the converter: `input` to `output`, and `meanwhile` while it runs.
// False after a message.
bool RunConverter(const Ov2Tools& tools, const std::string& input, const std::string& output,
                  std::string_view final_output, Messages& messages,
                  const std::function<bool()>& meanwhile) {
  const std::string not_written = "The OV2 file was not written: ";
  std::vector<std::string> argv;
  if (StartsWithMz(tools.converter)) {
    // The Windows converter, which a user may have put there instead.
    std::string wine = FindOnPath("wine");
    if (wine.empty()) {
      messages.error(final_output, not_written + std::string(kConverterName) +
                                       " is a Windows program, and wine is not installed to run it.");
      return false;
    }
    argv.push_back(std::move(wine));
  }
  argv.insert(argv.end(), {tools.converter, input, output});

  os::StartOptions options;
  options.discard_output = true;
  options.capture_errors = true;
  std::unique_ptr<os::Process> converter;
  if (const int error = os::Door().start(argv, options, &converter)) {
    messages.error(final_output, not_written + std::string(kConverterName) +
                                     " could not be started: " + Reason(error) + ".");
    return false;
  }
  const bool done_meanwhile = meanwhile();
  while (!converter->wait_for(60 * 1000)) {
  }
  PassOn(converter->errors(), messages);
  if (!done_meanwhile) return false;
  const int status = converter->exit_status();
  if (status < 0) {
    messages.error(final_output, not_written + std::string(kConverterName) +
                                     " was stopped by signal " + std::to_string(-status) + ".");
    return false;
  }
  if (status > 0) {
    messages.error(final_output, not_written + std::string(kConverterName) +
                                     " ended with exit status " + std::to_string(status) + ".");
    return false;
  }
  return true;
}

// Reads the overlay the converter wrote, counting its POI.
bool CheckOverlay(const std::string& written, std::size_t expected, std::string_view output,
                  Messages& messages) {
  const std::string not_written = "The OV2 file was not written: ";
  os::InputFile file;
  if (const int error = file.open(written)) {
    messages.error(output, not_written + std::string(kConverterName) + " wrote no file (" +
                               Reason(error) + ").");
    return false;
  }
  if (file.info().kind != os::Kind::kRegular) {
    messages.error(output, not_written + std::string(kConverterName) + " wrote no file.");
    return false;
  }
  formats::FileSource source(file);
  formats::Ov2Decoder decoder(source);
  std::size_t count = 0;
  while (decoder.next()) ++count;
  if (decoder.stop() == formats::Ov2Stop::kReadError) {
    messages.error(output, "Cannot read file: " + Reason(decoder.os_error()));
    return false;
  }
  if (decoder.stop() != formats::Ov2Stop::kEnd || count != expected) {
    messages.error(output, not_written + std::string(kConverterName) + " wrote " +
                               std::to_string(count) + " of the " + std::to_string(expected) +
                               " POI" +
                               (decoder.stop() != formats::Ov2Stop::kEnd ? " in a damaged overlay." : "."));
    return false;
  }
  return true;
}


}  // namespace

Ov2Tools Ov2ToolsIn(std::string_view program_folder, std::string temp_folder) {
  return {std::string(program_folder) + std::string(kConverterFile),
          std::string(program_folder) + std::string(kDefaultSymbolFile), std::move(temp_folder)};
}

bool CheckOv2Tools(const Ov2Tools& tools, Messages& messages) {
  if (!os::IsRegularFile(tools.converter)) {
    messages.error(tools.converter, "File missing: copy the file MakeOV2_v1-1.exe into the same "
                                    "folder as the program nodalux-batch.");
    return false;
  }
  if (!os::IsRegularFile(tools.default_symbol)) {
    messages.error(tools.default_symbol,
                   "File missing: copy the TomTom Navigator default symbol file "
                   "default_symbol.bmp into the same folder as the program nodalux-batch.");
    return false;
  }
  return true;
}

bool ConvertToOv2(const PoiSet& set, Group group, NameConverter& names, const Ov2Tools& tools,
                  OutputFile& out, Messages& messages, const std::function<bool()>& meanwhile) {
  TempFile input;
  if (const int error = input.create(tools.temp_folder)) {
    messages.error(input.path(), "Cannot create file: " + Reason(error));
    return false;
  }
  if (!WriteConverterInput(set, group, names, input, messages)) return false;
  messages.note("Running TomTom MakeOV2 utility");
  const std::string& overlay = out.hand_over();
  return RunConverter(tools, input.path(), overlay, out.path(), messages, meanwhile) &&
         CheckOverlay(overlay, group.size(), out.path(), messages);
}

bool SymbolFile::place(std::string_view full_output, const Ov2Tools& tools, Messages& messages) {
  const std::string symbol = std::string(NameRoot(full_output)) + ".bmp";
  // A bitmap the user already has is never replaced: only a name that
  // surely holds nothing gets the copy.
  os::FileInfo info;
  const int looked = os::Door().stat(symbol, false, &info);
  if (looked == 0) return true;
  if (looked != ENOENT) {
    messages.error(symbol, "Cannot copy the default symbol file: " + Reason(looked));
    return false;
  }
  if (const int error = os::CopyFile(tools.default_symbol, symbol)) {
    messages.error(symbol, "Cannot copy the default symbol file: " + Reason(error));
    return false;
  }
  made_ = symbol;
  messages.note("Default symbol file copied to ... " + symbol);
  return true;
}

void SymbolFile::take_back() {
  if (!made_.empty()) os::DeleteFile(made_);
  made_.clear();
}

}  // namespace nodalux::batch
