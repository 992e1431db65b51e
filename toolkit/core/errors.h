// Library error reporting: every toolkit routine records a failure here with
// a numeric code and its own name, then returns normally. Callers read the
// code through InfoStatus; the reporting mode decides whether anybody sees
// a line about it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zarv {

// Records a failure of `routine` and reports it in the current mode.
void ReportError(int code, std::string_view routine);

// Status words: 1 last library error (reset on read), 2 graphics status
// (reset), 3 last operating-system error (reset), 4 reporting mode, 5 second
// metafile status.
int InfoStatus(int code);

// Accepts 0..4; anything else leaves the mode as it is.
void SetReportingMode(int mode);
// Reads the first character of ZARVDEBUG; a digit 0..4 selects the mode.
void SetReportingModeFromEnvironment();

// The platform's error number of the last failed operating-system call
// (errno on Linux), readable as InfoStatus(3); code 13 reports its text.
void SetLastOsError(int error);
// The compression library's return code of the last failure, whose standard
// message accompanies code 1044.
void SetLastZlibResult(int result);

// The report line for `code` raised by `routine`, as the modes send it
// (trailing blanks removed).
std::string ErrorReportLine(int code, std::string_view routine);
// The message for a code from the fixed table; a single blank when none.
std::string_view ErrorMessage(int code);

// Ends the process: shows "Abnormal exit (code N) : message" in a box titled
// "Zarvane" when the message is not blank, then exits with `exit_code`.
[[noreturn]] void AbnormalExit(std::string_view message, int exit_code);
// The text AbnormalExit shows: "Abnormal exit (code N) : message".
std::string AbnormalExitText(std::string_view message, int exit_code);

// Where modes 3 and 4 send their line. The toolkit's start-up installs the
// status bar and the message box; until then those modes show nothing.
struct ReportSinks {
  std::function<void(std::string_view line)> status_bar;
  // Shows the OK/Cancel "Library Error" box; returns true for OK.
  std::function<bool(std::string_view line)> message_box;
  // Shows the "Zarvane" abnormal-exit box.
  std::function<void(std::string_view text)> abnormal_box;
};
void SetReportSinks(ReportSinks sinks);

}  // namespace zarv
