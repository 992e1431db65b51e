#include "toolkit/core/resources.h"

#include <string>
#include <vector>

#include "toolkit/core/resource_script.h"

namespace zarv {
namespace {

struct Registry {
  std::vector<EmbeddedFile> files;
  ResourceSet parsed;
  std::string error;
};

Registry& Reg() {
  static Registry r;
  return r;
}

}  // namespace

void RegisterResourceFiles(std::span<const EmbeddedFile> files) {
  Registry& r = Reg();
  r.files.assign(files.begin(), files.end());
  r.parsed = ResourceSet{};
  r.error.clear();
  for (const EmbeddedFile& f : r.files) {
    const std::string_view name = f.name;
    if (name.size() < 3 || name.substr(name.size() - 3) != ".rc") continue;
    auto result = ParseResourceScript(f.view(), [](std::string_view n) -> std::optional<std::string> {
      if (auto bytes = FindEmbeddedFile(n)) return std::string(*bytes);
      return std::nullopt;
    });
    if (result.resources) {
      r.parsed = std::move(*result.resources);
    } else {
      r.error = std::string(name) + ", " + result.error;
    }
    break;
  }
}

std::optional<std::string_view> FindEmbeddedFile(std::string_view name) {
  for (const EmbeddedFile& f : Reg().files) {
    if (name == f.name) return f.view();
  }
  return std::nullopt;
}

const ResourceSet& Resources() { return Reg().parsed; }

const std::string& ResourceError() { return Reg().error; }

}  // namespace zarv
