// The entry point of the loadable Qt backend (zarvane-qt.so).
#include <memory>
#include <string>

#include "toolkit/platform/qt/qt_platform.h"

extern "C" [[gnu::visibility("default")]] zarv::platform::Platform* ZarvCreateQtPlatform(
    std::string* error) {
  return zarv::platform::CreateQtPlatform(error).release();
}
