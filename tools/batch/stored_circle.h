// The circle the desktop program keeps in its settings store when it ends
// by File, Exit, read as the desktop program reads it at start-up. The
// store is only ever read here.
#pragma once

#include <string>

#include "app/geo/circle.h"

namespace nodalux::batch {

// From the store at `store_path`: the stored circle, or the desktop
// program's default when none is stored or the store cannot be read.
geo::Circle ReadStoredCircle(const std::string& store_path);

}  // namespace nodalux::batch
