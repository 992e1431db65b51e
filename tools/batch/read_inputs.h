// Reading the inputs into one set, as the desktop program's Open and Append
// read them: the same readers, the same storage limit, the same words when
// a file cannot be read, here as one message line naming the place.
#pragma once

#include <string>

#include "tools/batch/batch_options.h"
#include "tools/batch/messages.h"
#include "tools/batch/poi_set.h"

namespace nodalux::batch {

// Adds the POI of the file `path` (in `format`) to `set`. False, after a
// message, when the file could not be read whole (it cannot be opened, it
// is not a POI file of its format, a record is damaged, or the set is
// full): nothing may be written then.
bool ReadInput(const std::string& path, FileFormat format, PoiSet& set, Messages& messages);

}  // namespace nodalux::batch
