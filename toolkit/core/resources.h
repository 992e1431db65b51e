// Files embedded in the program at build time (resource scripts, dialog
// extra data, bitmaps) and the resources found in them by type and number.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zarv {

struct EmbeddedFile {
  const char* name;
  const unsigned char* bytes;
  std::size_t size;

  std::string_view view() const {
    return {reinterpret_cast<const char*>(bytes), size};
  }
};

// The application hands its embedded files to the toolkit once, before the
// root window is opened; resources are looked up in them from then on.
void RegisterResourceFiles(std::span<const EmbeddedFile> files);

// The bytes of an embedded file by its name, if there is one.
std::optional<std::string_view> FindEmbeddedFile(std::string_view name);

}  // namespace zarv

namespace zarv {
struct ResourceSet;
// The resources parsed from the registered resource script (the embedded
// file whose name ends in ".rc"); empty when there is none or it is damaged.
const ResourceSet& Resources();
// Why the resource script could not be read; empty when it was read.
const std::string& ResourceError();
}  // namespace zarv
