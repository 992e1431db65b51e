// File-name helpers and the "Data Error" report.
#pragma once

#include <cstdint>
#include <string_view>

#include "toolkit/core/text.h"

namespace nodalux {

// Splits FILENAME at its last dot: the root before it, the extension after
// it in lower case, each cut or padded to its text's length.
void EXTN(std::string_view FILENAME, zarv::TextSpan ROOTNAME, zarv::TextSpan EXTENSION);
// Cuts PATH after its last folder separator (all blanks when it has none).
void ROOT(zarv::TextSpan PATH);
// Shows the "Data Error" box, then carries out ACTION ("quit", "clear").
void ERROR(std::int32_t LEVEL, std::string_view TEXT1, std::string_view TEXT2,
           std::string_view TEXT3, std::string_view ACTION);

// The folder separator that ROOT and FIT cut at: the platform's, unless a
// test asked for another (so Windows paths can be checked here too).
char FolderSeparator();
// 0 goes back to the platform's separator.
void SetPathSeparatorForTest(char separator);

}  // namespace nodalux
