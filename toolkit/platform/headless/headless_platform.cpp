// (to be written)
#include "toolkit/platform/headless/headless_platform.h"
namespace zarv::platform { std::unique_ptr<Platform> CreateHeadlessPlatform() { return nullptr; } }
