// Backend selection for the desktop program: headless is built in, the Qt
// backend is loaded from the program folder when it is asked for.
#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "toolkit/os/os.h"
#include "toolkit/platform/headless/headless_platform.h"
#include "toolkit/platform/platform.h"

namespace zarv::platform {
namespace {

std::string ProgramFolder() {
  std::string path;
  if (os::Door().read_link("/proc/self/exe", &path) != 0 || path.empty()) return "./";
  return path.substr(0, path.rfind('/') + 1);
}

std::unique_ptr<Platform> LoadQtBackend(std::string* error) {
  const std::string module = ProgramFolder() + "zarvane-qt.so";
  // Kept loaded for the rest of the process: the backend lives until exit.
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    if (error) {
      *error = std::string("cannot load the Qt backend (") + ::dlerror() +
               "); run with ZARVPLATFORM=headless";
    }
    return nullptr;
  }
  using Factory = Platform* (*)(std::string*);
  auto factory = reinterpret_cast<Factory>(::dlsym(handle, "ZarvCreateQtPlatform"));
  if (factory == nullptr) {
    if (error) *error = module + " is not a Qt backend of this program";
    return nullptr;
  }
  return std::unique_ptr<Platform>(factory(error));
}

}  // namespace

std::unique_ptr<Platform> CreatePlatform(std::string* error) {
  const char* name = std::getenv("ZARVPLATFORM");
  const std::string chosen = name && *name ? name : "qt";
  if (chosen == "headless") return CreateHeadlessPlatform();
  if (chosen == "qt") return LoadQtBackend(error);
  if (error) *error = "ZARVPLATFORM=" + chosen + " is not a backend; valid: qt, headless";
  return nullptr;
}

}  // namespace zarv::platform
