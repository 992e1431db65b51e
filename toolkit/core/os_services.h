// Operating-system services: the program's own path and arguments, the
// registry store, running a program, copying and deleting files, environment
// variables, the current directory and the help viewer. Failures are
// reported through errors.h under the routine's name; nothing is returned
// as a status.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/core/text.h"

// N = 0: the full path of the running program; N >= 1: the N-th argument.
void IOsCommandArg(int n, zarv::TextSpan text);

// Reads one value of the per-user registry store. `text`, `type` and
// `length` may be absent (nullptr). Types: 1 string, 2 expandable string,
// 3 binary, 4 number...; -1 key not found, -2 value not found.
void IOsRegistryGet(std::string_view key, zarv::TextSpan* text, std::string_view value_name = {},
                    int* type = nullptr, int* length = nullptr);
// Writes one value; for types 1 and 2 the whole text plus a NUL is stored.
void IOsRegistryPut(std::string_view key, std::string_view data, std::string_view value_name = {},
                    int type = 1);

// Runs a program (never through a shell). Flags: 1 hidden, 2 wait. A
// time-out below 0 waits for as long as it takes.
void IOsCommand(std::string_view command, int flags = 0, int timeout_seconds = -1);
void IOsCopyFile(std::string_view source, std::string_view target);
void IOsDeleteFile(std::string_view pattern);
void IOsVariable(std::string_view name, zarv::TextSpan value);
void IOsDirName(zarv::TextSpan directory);

// Shows a help file at its contents page; a blank name closes the viewer.
void WHelpShow(std::string_view file, int topic = -1, int option = 0);

namespace zarv {
// While one lives, the IOsRegistryPut calls of this process form one
// transaction: their values are stored together when it ends, or none of
// them when one fails. A failure is reported (13) by the write that failed,
// or by the end of the group when the transaction itself cannot be stored.
class RegistryWriteGroup {
 public:
  RegistryWriteGroup();
  ~RegistryWriteGroup();
  RegistryWriteGroup(const RegistryWriteGroup&) = delete;
  RegistryWriteGroup& operator=(const RegistryWriteGroup&) = delete;
};

// IOsCommand, with `meanwhile` run once the program has started and before
// it is waited for (only for a command that waits: flags & 2), so that the
// caller's own work goes on while the program runs. `meanwhile` must not
// report errors itself: whatever IOsCommand reports comes after it.
void RunCommandWhile(std::string_view command, int flags, const std::function<void()>& meanwhile,
                     int timeout_seconds = -1);

// The result of the last IOsCommand: 32 ended, -1 timed out, else an error.
int LastCommandStatus();
// How the program of the last IOsCommand that waited for it ended: its exit
// status (0..255), -N when signal N ended it; and the start of what it wrote
// on its standard error (a few kilobytes at most). 0 and empty after a
// command that did not start, did not end or was not waited for.
int LastCommandExitStatus();
const std::string& LastCommandErrors();

// IOsCopyFile and IOsDeleteFile for exactly the one file named: no
// character of the name is a wildcard. Failures are reported as theirs.
void CopyOneFile(std::string_view source, std::string_view target);
void DeleteOneFile(std::string_view name);

// CopyOneFile in two steps, for a caller with other work to overlap:
// stage() copies the bytes beside the target and flushes them to the disk,
// reporting nothing; commit() puts the copy in place and reports a failure
// of either step as IOsCopyFile does. A copy not committed is removed.
class StagedCopy {
 public:
  StagedCopy();
  ~StagedCopy();
  StagedCopy(const StagedCopy&) = delete;
  StagedCopy& operator=(const StagedCopy&) = delete;

  void stage(std::string_view source, std::string_view target);
  void commit();

 private:
  struct Copy;
  std::unique_ptr<Copy> copy_;
};
// The folder separator of this platform ('/' here, '\\' on Windows).
char PathSeparator();
}  // namespace zarv
