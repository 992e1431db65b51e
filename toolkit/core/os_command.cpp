// IOsCommand: runs a program the way the Windows platform would find and
// start it, without a command interpreter in between.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <optional>

#include "toolkit/core/command_line.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/os/files.h"
#include "toolkit/platform/platform.h"

namespace {

namespace os = zarv::os;

int g_last_command_status = 0;
int g_last_exit_status = 0;
std::string g_last_errors;

bool StartsWithMz(const std::string& path) {
  os::InputFile file;
  if (file.open(path) != 0 || file.info().kind != os::Kind::kRegular) return false;
  char magic[2] = {};
  std::size_t got = 0;
  return file.read(magic, 2, &got) == 0 && got == 2 && magic[0] == 'M' && magic[1] == 'Z';
}

enum class Found { kNothing, kProgram, kNotRunnable };

// A program file is a regular file that is executable, or a Windows
// program (which runs through wine).
Found Examine(const std::string& path) {
  if (path.empty() || !os::IsRegularFile(path)) return Found::kNothing;
  if (os::Door().access(path, X_OK) == 0 || StartsWithMz(path)) return Found::kProgram;
  return Found::kNotRunnable;
}

bool HasExtension(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
  return base.find('.') != std::string_view::npos;
}

std::vector<std::string> SearchFolders() {
  std::vector<std::string> folders = {zarv::OwnProgramFolder(), ""};
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const std::size_t colon = rest.find(':');
    std::string dir(rest.substr(0, colon));
    if (!dir.empty() && dir.back() != '/') dir += '/';
    folders.push_back(dir);
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return folders;
}

// The file `name` stands for: itself, or with ".exe" when it has no
// extension; a bare name is looked for in the program's folder, the
// current folder and along PATH.
std::optional<std::string> FindProgram(const std::string& name, bool* not_runnable) {
  if (name.empty()) return std::nullopt;
  std::vector<std::string> folders;
  if (name.find('/') != std::string::npos) {
    folders.push_back("");
  } else {
    folders = SearchFolders();
  }
  for (const std::string& folder : folders) {
    const std::string path = folder + name;
    Found f = Examine(path);
    if (f == Found::kNothing && !HasExtension(name)) {
      const std::string exe = path + ".exe";
      if ((f = Examine(exe)) == Found::kProgram) return exe;
    }
    if (f == Found::kProgram) return path;
    if (f == Found::kNotRunnable) *not_runnable = true;
  }
  return std::nullopt;
}

struct Resolved {
  std::vector<std::string> argv;
  int error = 0;
};

Resolved Resolve(std::string_view line) {
  Resolved r;
  bool not_runnable = false;
  std::optional<std::string> program;
  std::string rest;
  const zarv::CommandHead head = zarv::SplitCommandHead(line);
  if (head.quoted) {
    program = FindProgram(head.program, &not_runnable);
    rest = head.rest;
  } else {
    // Each blank-separated prefix in turn, so an unquoted path with blanks
    // in its folder names still finds its program.
    const std::string_view text = zarv::LeftTrimmed(line);
    for (std::size_t end = 0; end <= text.size(); ++end) {
      if (end < text.size() && text[end] != ' ' && text[end] != '\t') continue;
      if (end == 0) continue;
      program = FindProgram(std::string(text.substr(0, end)), &not_runnable);
      if (program) {
        rest = std::string(text.substr(end));
        break;
      }
    }
  }
  if (!program) {
    r.error = not_runnable ? EACCES : ENOENT;
    return r;
  }
  if (StartsWithMz(*program)) {
    bool ignored = false;
    const auto wine = FindProgram("wine", &ignored);
    if (!wine || *wine == *program) {
      r.error = ENOEXEC;
      return r;
    }
    r.argv.push_back(*wine);
  }
  r.argv.push_back(*program);
  for (std::string& word : zarv::SplitCommandArguments(rest)) r.argv.push_back(std::move(word));
  return r;
}

struct Outcome {
  int result = 0;    // 32 ended, 33 started, -1 timed out, else a failure
  int os_error = 0;  // the error number of a failed start
  int exit_status = 0;
  std::string errors;
};

Outcome Failed(int error) { return {error < 32 ? error : 0, error, 0, {}}; }

Outcome Ended(const os::Process& child) { return {32, 0, child.exit_status(), child.errors()}; }

Outcome Run(std::string_view line, int flags, int timeout_seconds, const std::function<void()>& meanwhile) {
  if (line.size() > zarv::kCommandLineLength) return Failed(E2BIG);
  const Resolved resolved = Resolve(line);
  if (resolved.error) return Failed(resolved.error);

  const bool hidden = flags & 1;
  const bool wait = flags & 2;
  os::StartOptions options;
  options.discard_output = hidden;
  // What it says is kept only for a caller who waits for it to end.
  options.capture_errors = wait;
  options.echo_errors = !hidden;
  std::unique_ptr<os::Process> child;
  if (const int error = os::Door().start(resolved.argv, options, &child)) return Failed(error);
  if (!wait) return {33, 0, 0, {}};
  if (meanwhile) meanwhile();

  if (timeout_seconds >= 0) {
    if (!child->wait_for(static_cast<std::int64_t>(timeout_seconds) * 1000)) return {-1, 0, 0, {}};
    return Ended(*child);
  }
  // Keep the window repainting while the program runs; input is dropped.
  while (!child->wait_for(0)) {
    if (zarv::HavePlatform()) {
      const std::int64_t start = os::Door().now_ms();
      zarv::ThePlatform().pump_paints(100);
      const std::int64_t spent = os::Door().now_ms() - start;
      if (spent < 100) child->wait_for(100 - spent);
    } else {
      child->wait_for(100);
    }
  }
  return Ended(*child);
}

}  // namespace

void IOsCommand(std::string_view command, int flags, int timeout_seconds) {
  zarv::RunCommandWhile(command, flags, {}, timeout_seconds);
}

void zarv::RunCommandWhile(std::string_view command, int flags, const std::function<void()>& meanwhile,
                           int timeout_seconds) {
  const std::string_view line = zarv::Trimmed(command);
  if (zarv::IsBlank(line)) return;
  const Outcome outcome = Run(line, flags, timeout_seconds, meanwhile);
  g_last_command_status = outcome.result;
  g_last_exit_status = outcome.exit_status;
  g_last_errors = outcome.errors;
  if (zarv::HavePlatform()) zarv::ThePlatform().command_ran(line, flags, outcome.result);
  if (outcome.result == -1) {
    zarv::ReportError(1034, "IOsCommand");
  } else if (outcome.result < 32) {
    zarv::SetLastOsError(outcome.os_error ? outcome.os_error : outcome.result);
    zarv::ReportError(13, "IOsCommand");
  }
}

namespace zarv {
int LastCommandStatus() { return g_last_command_status; }
int LastCommandExitStatus() { return g_last_exit_status; }
const std::string& LastCommandErrors() { return g_last_errors; }
}  // namespace zarv
