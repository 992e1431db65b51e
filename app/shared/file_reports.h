// The message boxes about the files the program reads and writes, and the
// checks that decide on them: a chosen file that cannot hold POI (a folder,
// a named pipe, a device) is named in a message and never read or
// written.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/os/files.h"

namespace nodalux {

// The "File Error" box: what went wrong ("Cannot open file:"), the file's
// path on its own line, and the operating system's reason when there is
// one.
void ReportFileError(std::string_view what, std::string_view path, std::string_view reason = {});
// The operating system's words for an errno value.
std::string OsErrorText(int error);

// "Storage limit": the table is full. Asks the program to end after the
// current command.
void ReportStorageLimit();

// Opens the input file `path` for reading. False, after a message naming
// it, when it cannot be opened or is not a file (a folder, a named pipe, a
// device): it is then not read at all.
bool OpenPoiFile(const std::string& path, zarv::os::InputFile* file);

// True when `path` may be written: it does not exist yet or names a file.
// Otherwise says why, naming it.
bool CheckOutputFile(const std::string& path);

}  // namespace nodalux
