// Writing the group as a text file: a header, one line per group entry, a
// trailer, written atomically in chunks (the old file stays whole until
// the new one is complete).
#pragma once

#include <string>
#include <string_view>

#include "toolkit/os/files.h"

namespace nodalux {

struct GroupFileResult {
  int error = 0;         // 0, or the errno value of the call that failed
  bool created = false;  // the new file was begun (else: it could not be created)
};

using AppendGroupLine = void (*)(std::string& out, float longitude, float latitude,
                                 std::string_view name);

// Writes `header`, a line made by `append` for each of GROUP_TABLE's
// GROUP_COUNT entries, and `trailer` to `path`, made as `options` say.
GroupFileResult WriteGroupFile(const std::string& path, std::string_view header,
                               AppendGroupLine append, std::string_view trailer,
                               const zarv::os::AtomicOptions& options);

}  // namespace nodalux
