// Fuzz target: the bytes as the program's resource script, with some of the
// files it names missing. A damaged script gives a message naming its line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/core/resource_script.h"

namespace {

std::optional<std::string> SomeFile(std::string_view name) {
  if (name.size() % 3 == 0) return std::nullopt;
  return std::string(name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  const auto result = zarv::ParseResourceScript(script, SomeFile);
  if (!result.resources && result.error.rfind("line ", 0) != 0) std::abort();
  return 0;
}
