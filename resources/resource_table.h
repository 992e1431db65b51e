// The files of resources/ as embedded in the program.
#pragma once

#include <span>

#include "toolkit/core/resources.h"

namespace nodalux {
std::span<const zarv::EmbeddedFile> ResourceFiles();
}
