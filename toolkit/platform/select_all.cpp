#include <cstdlib>
#include <string>

#include "toolkit/platform/headless/headless_platform.h"
#include "toolkit/platform/platform.h"
#include "toolkit/platform/qt/qt_platform.h"

namespace zarv::platform {

std::unique_ptr<Platform> CreatePlatform(std::string* error) {
  const char* name = std::getenv("ZARVPLATFORM");
  const std::string chosen = name && *name ? name : "qt";
  if (chosen == "headless") return CreateHeadlessPlatform();
  if (chosen == "qt") return CreateQtPlatform(error);
  if (error) *error = "ZARVPLATFORM=" + chosen + " is not a backend; valid: qt, headless";
  return nullptr;
}

}  // namespace zarv::platform
