#include <cstdlib>
#include <string>

#include "toolkit/platform/headless/headless_platform.h"
#include "toolkit/platform/platform.h"

namespace zarv::platform {

std::unique_ptr<Platform> CreatePlatform(std::string* error) {
  const char* name = std::getenv("ZARVPLATFORM");
  const std::string chosen = name && *name ? name : "headless";
  if (chosen == "headless") return CreateHeadlessPlatform();
  if (error) {
    *error = "ZARVPLATFORM=" + chosen + " is not a backend of this build; valid: headless";
  }
  return nullptr;
}

}  // namespace zarv::platform
