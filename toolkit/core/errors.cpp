// (A first cut: records codes and answers InfoStatus; the reporting modes,
// message tables and abnormal exit come next.)
#include "toolkit/core/errors.h"

#include <cstdlib>

namespace zarv {
namespace {
struct State {
  int last_error = 0;
  int graphics = 0;
  int os_error = 0;
  int mode = 0;
  int metafile = 0;
  int zlib = 0;
  ReportSinks sinks;
};
State& S() {
  static State s;
  return s;
}
}  // namespace

void ReportError(int code, std::string_view) { S().last_error = code; }

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
std::string ErrorReportLine(int, std::string_view) { return {}; }
std::string_view ErrorMessage(int) { return " "; }
void AbnormalExit(std::string_view, int exit_code) { std::_Exit(exit_code); }
void SetReportSinks(ReportSinks sinks) { S().sinks = std::move(sinks); }

}  // namespace zarv
