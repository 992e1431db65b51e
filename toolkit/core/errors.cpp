// Library error reporting: records the code, composes the report line and
// sends it where the reporting mode says.
#include "toolkit/core/errors.h"

#include <fcntl.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "toolkit/core/error_messages.h"
#include "toolkit/core/text.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/os/os.h"

namespace zarv {
namespace {

constexpr std::size_t kLineLength = 200;

struct State {
  int last_error = 0;
  int graphics = 0;
  int os_error = 0;
  int mode = 0;
  int metafile = 0;
  int zlib = 0;
  ReportSinks sinks;
  // The debug log: opened on the first mode-2 report, kept open for the run.
  int log = -1;
  bool log_tried = false;
};

State& S() {
  static State s;
  return s;
}

// A number right-aligned in four positions, or asterisks when it does not fit.
std::string FormatI4(int value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%4d", value);
  if (std::strlen(buf) > 4) return "****";
  return buf;
}

// The operating system's description of an error number.
std::string OsErrorText(int error) {
  char buf[300];
  // The GNU strerror_r returns a pointer that need not be `buf`.
  const char* text = strerror_r(error, buf, sizeof buf);
  return text ? std::string(text).substr(0, 300) : std::string();
}

// zlib's standard message; zError indexes a table without a range check.
std::string ZlibText(int result) {
  if (result < Z_VERSION_ERROR || result > Z_NEED_DICT) return {};
  return zError(result);
}

std::string ComposeLine(int code, std::string_view routine, int os_error, int zlib_result) {
  std::string line;
  line.reserve(kLineLength);
  const bool internal = routine.starts_with("YY") || routine.starts_with("yy");
  line += internal ? "Internal routine:" : "Routine:";
  line += Trimmed(routine);
  line += " Error=";
  line += FormatI4(code);
  line += ':';
  if (line.size() < kLineLength) line += LookUpErrorMessage(code);
  if (line.size() > kLineLength) line.resize(kLineLength);

  std::string extra;
  bool add = false;
  if (code == 13) {
    extra = OsErrorText(os_error);
    add = true;
  } else if (code == 1044) {
    extra = ZlibText(zlib_result);
    add = true;
  }
  if (add) {
    line.resize(Trimmed(line).size());
    if (kLineLength - line.size() >= 3) {
      line += ": ";
      line += extra;
      if (line.size() > kLineLength) line.resize(kLineLength);
    }
  }
  return std::string(Trimmed(line));
}

void WriteToDebugLog(State& s, std::string_view line) {
  if (s.log < 0 && !s.log_tried) {
    s.log_tried = true;
    for (const char* name : {"debug", "debug.txt", "debug.dat"}) {
      if (os::Door().open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666, &s.log) == 0) break;
    }
  }
  if (s.log < 0) return;
  const std::string entry = std::string(line) + "\r\n";
  std::string_view rest = entry;
  while (!rest.empty()) {
    std::size_t written = 0;
    if (os::Door().write(s.log, rest.data(), rest.size(), &written) != 0 || written == 0) break;
    rest.remove_prefix(written);
  }
}

void Send(State& s, int mode, std::string_view line) {
  switch (mode) {
    case 1:
      std::fputc(' ', stdout);
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fputc('\n', stdout);
      std::fflush(stdout);
      break;
    case 2:
      WriteToDebugLog(s, line);
      break;
    case 3:
      if (s.sinks.status_bar) s.sinks.status_bar(line);
      break;
    case 4:
      if (s.sinks.message_box && !s.sinks.message_box(line)) AbnormalExit("", 0);
      break;
    default:
      break;
  }
}

}  // namespace

void ReportError(int code, std::string_view routine) {
  State& s = S();
  s.last_error = code;
  if (s.mode <= 0) return;
  // Failures inside the report itself are recorded but not reported again.
  const int mode = s.mode;
  const int kept_error = s.last_error;
  s.mode = 0;
  Send(s, mode, ComposeLine(code, routine, s.os_error, s.zlib));
  s.mode = mode;
  s.last_error = kept_error;
}

int InfoStatus(int code) {
  State& s = S();
  int v = 0;
  switch (code) {
    case 1: v = s.last_error; s.last_error = 0; break;
    case 2: v = s.graphics; s.graphics = 0; break;
    case 3: v = s.os_error; s.os_error = 0; break;
    case 4: v = s.mode; break;
    case 5: v = s.metafile; break;
    default: break;
  }
  return v;
}

void SetReportingMode(int mode) {
  if (mode >= 0 && mode <= 4) S().mode = mode;
}

void SetReportingModeFromEnvironment() {
  const char* v = std::getenv("ZARVDEBUG");
  if (v && *v >= '0' && *v <= '4') SetReportingMode(*v - '0');
}

void SetLastOsError(int error) { S().os_error = error; }
void SetLastZlibResult(int result) { S().zlib = result; }

std::string ErrorReportLine(int code, std::string_view routine) {
  return ComposeLine(code, routine, S().os_error, S().zlib);
}

std::string_view ErrorMessage(int code) { return LookUpErrorMessage(code); }

std::string AbnormalExitText(std::string_view message, int exit_code) {
  std::string text = "Abnormal exit (code ";
  text += LeftTrimmed(FormatI4(exit_code));
  text += ") : ";
  text += Trimmed(message);
  return text;
}

void AbnormalExit(std::string_view message, int exit_code) {
  State& s = S();
  if (!IsBlank(message)) {
    const std::string text = AbnormalExitText(message, exit_code);
    if (s.sinks.abnormal_box) {
      s.sinks.abnormal_box(text);
    } else {
      // No window to show it in yet: the message must not be lost.
      std::fprintf(stderr, "%s\n", text.c_str());
    }
  }
  ExitProcess(exit_code);
}

void SetReportSinks(ReportSinks sinks) { S().sinks = std::move(sinks); }

}  // namespace zarv
