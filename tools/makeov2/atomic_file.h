// Writing a whole file so that readers see either the old state or the
// complete new file, never a half-written one.
#pragma once

#include <string>
#include <string_view>

namespace makeov2 {

// Writes `bytes` to a temporary file beside `path`, then renames it over
// `path`. Returns an empty string on success, else what went wrong.
std::string WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace makeov2
