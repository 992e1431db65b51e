#include "resources/resource_table.h"

std::span<const zarv::EmbeddedFile> NodaluxResourceFiles();

namespace nodalux {
std::span<const zarv::EmbeddedFile> ResourceFiles() { return NodaluxResourceFiles(); }
}  // namespace nodalux
