// Reading a whole file into memory in one go.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nodalux {

// The file's bytes, or nothing when it cannot be opened or read (missing,
// no permission, a folder).
std::optional<std::string> ReadWholeFile(std::string_view path);

}  // namespace nodalux
