// (to be written)
#include "toolkit/platform/qt/qt_platform.h"
namespace zarv::platform { std::unique_ptr<Platform> CreateQtPlatform(std::string* e) { if (e) *e = "not yet"; return nullptr; } }
