#pragma once

#include <memory>
#include <string>

#include "toolkit/platform/platform.h"

namespace zarv::platform {
// nullptr with a message in `error` when no display can be opened.
std::unique_ptr<Platform> CreateQtPlatform(std::string* error);
}
