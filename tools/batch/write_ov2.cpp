#include "tools/batch/write_ov2.h"

#include <fcntl.h>
#include <signal.h>
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

// The group as the converter's POI file, as the desktop program writes
// it, handed to `write` a chunk at a time; the first error `write` gave.
int SendConverterInput(const PoiSet& set, Group group, NameConverter& names,
                       const std::function<int(std::string_view)>& write) {
  std::string text(formats::kTempFileHeader);
  text.reserve(OutputFile::kChunk + 4096);
  for (const std::uint32_t i : group) {
    const PoiRef poi = set[i];
    formats::AppendTempRecord(text, poi.longitude, poi.latitude, names.bytes(poi));
    if (text.size() >= OutputFile::kChunk) {
      if (const int error = write(text)) return error;
      text.clear();
    }
  }
  formats::AppendTempTrailer(text, static_cast<long long>(group.size()));
  return write(text);
}

bool WriteConverterInput(const PoiSet& set, Group group, NameConverter& names, TempFile& file,
                         Messages& messages) {
  int error = SendConverterInput(set, group, names, [&](std::string_view text) { return file.write(text); });
  if (error == 0) error = file.close();
  if (error != 0) {
    messages.error(file.path(), "Cannot write file: " + Reason(error));
    return false;
  }
  return true;
}

// A Windows program (which a user may have put there instead of ours).
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

const std::string kNotWritten = "The OV2 file was not written: ";

// The command line that runs the converter (a Windows one through wine)
// on `input`, writing `output`; empty when it cannot run (said in
// `messages`, when given).
std::vector<std::string> ConverterCommand(const Ov2Tools& tools, bool windows, const std::string& input,
                                          const std::string& output, std::string_view final_output,
                                          Messages* messages) {
  std::vector<std::string> argv;
  if (windows) {
    std::string wine = FindOnPath("wine");
    if (wine.empty()) {
      if (messages) {
        messages->error(final_output, kNotWritten + std::string(kConverterName) +
                                          " is a Windows program, and wine is not installed to run it.");
      }
      return {};
    }
    argv.push_back(std::move(wine));
  }
  argv.insert(argv.end(), {tools.converter, input, output});
  return argv;
}

// Waits for the converter to end, passes on what it said, and says why it
// failed, if it did. False after a message, or when `done_meanwhile` is.
bool AwaitConverter(os::Process& converter, std::string_view final_output, Messages& messages,
                    bool done_meanwhile) {
  while (!converter.wait_for(60 * 1000)) {
  }
  PassOn(converter.errors(), messages);
  if (!done_meanwhile) return false;
  const int status = converter.exit_status();
  if (status < 0) {
    messages.error(final_output, kNotWritten + std::string(kConverterName) +
                                     " was stopped by signal " + std::to_string(-status) + ".");
    return false;
  }
  if (status > 0) {
    messages.error(final_output, kNotWritten + std::string(kConverterName) +
                                     " ended with exit status " + std::to_string(status) + ".");
    return false;
  }
  return true;
}

// Starts the converter, reading `standard_input` (negative: nothing); what
// it says on its standard error is kept.
int StartConverter(const std::vector<std::string>& argv, int standard_input,
                   std::unique_ptr<os::Process>* converter) {
  os::StartOptions options;
  options.standard_input = standard_input;
  options.discard_output = true;
  options.capture_errors = true;
  return os::Door().start(argv, options, converter);
}

// Runs the converter: `input` to `output`, and `meanwhile` while it runs.
// False after a message.
bool RunConverter(const Ov2Tools& tools, bool windows, const std::string& input, const std::string& output,
                  std::string_view final_output, Messages& messages,
                  const std::function<bool()>& meanwhile) {
  const std::vector<std::string> argv =
      ConverterCommand(tools, windows, input, output, final_output, &messages);
  if (argv.empty()) return false;
  std::unique_ptr<os::Process> converter;
  if (const int error = StartConverter(argv, -1, &converter)) {
    messages.error(final_output, kNotWritten + std::string(kConverterName) +
                                     " could not be started: " + Reason(error) + ".");
    return false;
  }
  const bool done_meanwhile = meanwhile();
  return AwaitConverter(*converter, final_output, messages, done_meanwhile);
}

// Writing into a pipe whose reader has ended fails with EPIPE instead of
// ending this program, while this lives.
class BrokenPipeIgnored {
 public:
  BrokenPipeIgnored() {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &old_);
  }
  BrokenPipeIgnored(const BrokenPipeIgnored&) = delete;
  BrokenPipeIgnored& operator=(const BrokenPipeIgnored&) = delete;
  ~BrokenPipeIgnored() { ::sigaction(SIGPIPE, &old_, nullptr); }

 private:
  struct sigaction old_ = {};
};

// Reads the overlay the converter wrote, counting its POI.
bool CheckOverlay(const std::string& written, std::size_t expected, std::string_view output,
                  Messages& messages) {
  const std::string& not_written = kNotWritten;
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
  // Our converter flushes the overlay before it renames it into place; of
  // a Windows one nothing is known.
  const bool windows = StartsWithMz(tools.converter);
  const std::string& overlay = out.hand_over(!windows);
  return RunConverter(tools, windows, input.path(), overlay, out.path(), messages, meanwhile) &&
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

ConverterAhead::~ConverterAhead() { abandon(); }

bool ConverterAhead::start(const Ov2Tools& tools, OutputFile& out) {
  abandon();
  const bool windows = StartsWithMz(tools.converter);
  const std::string& overlay = out.hand_over(!windows);
  const std::vector<std::string> argv = ConverterCommand(tools, windows, "-", overlay, out.path(), nullptr);
  if (argv.empty()) return false;
  int ends[2] = {-1, -1};
  if (::pipe2(ends, O_CLOEXEC) != 0) return false;
  // Room for a group of some thousand POI, so the writer need not wait
  // for the converter to take it.
  ::fcntl(ends[1], F_SETPIPE_SZ, 1 << 20);
  const int error = StartConverter(argv, ends[0], &process_);
  ::close(ends[0]);
  if (error != 0) {
    ::close(ends[1]);
    process_.reset();
    return false;
  }
  pipe_ = ends[1];
  overlay_ = overlay;
  return true;
}

bool ConverterAhead::convert(const PoiSet& set, Group group, NameConverter& names, OutputFile& out,
                             Messages& messages, const std::function<bool()>& meanwhile) {
  messages.note("Running TomTom MakeOV2 utility");
  int error = 0;
  {
    const BrokenPipeIgnored quiet;
    error = SendConverterInput(set, group, names,
                               [&](std::string_view text) { return os::WriteAll(os::Door(), pipe_, text); });
  }
  // The end of the pipe is the end of its input: without the count line,
  // after a failed write, it writes nothing.
  ::close(pipe_);
  pipe_ = -1;
  std::unique_ptr<os::Process> converter = std::move(process_);
  // A converter that stopped reading (EPIPE) is judged below by how it
  // ended and what it wrote; any other failure is ours.
  if (error != 0 && error != EPIPE) {
    AwaitConverter(*converter, out.path(), messages, false);
    messages.error(out.path(), kNotWritten + std::string(kConverterName) +
                                   " could not be given the POI: " + Reason(error) + ".");
    return false;
  }
  const bool done_meanwhile = meanwhile();
  return AwaitConverter(*converter, out.path(), messages, done_meanwhile) &&
         CheckOverlay(overlay_, group.size(), out.path(), messages);
}

void ConverterAhead::abandon() {
  if (pipe_ >= 0) ::close(pipe_);
  pipe_ = -1;
  if (process_) {
    while (!process_->wait_for(60 * 1000)) {
    }
    process_.reset();
  }
}

}  // namespace nodalux::batch
