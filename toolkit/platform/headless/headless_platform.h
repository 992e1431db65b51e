#pragma once

#include <memory>

#include "toolkit/platform/platform.h"

namespace zarv::platform {
std::unique_ptr<Platform> CreateHeadlessPlatform();
}
