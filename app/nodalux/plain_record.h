// The everyday shape of a CSV record, read without the general
// list-directed reader: two plain numbers and a quoted or one-word name.
#pragma once

#include <string_view>

#include "app/nodalux/poi_data.h"

namespace nodalux {

// Fills `slot` and returns true when `text` (leading blanks removed) is a
// record of the plain shape. Returns false, leaving `slot` untouched, for
// anything else (null values, slashes, repeat counts, tabs, doubled quotes,
// out-of-range numbers, errors): the general reader decides those. Where it
// returns true the result is the one list-directed input gives.
bool ReadPlainRecord(std::string_view text, POI_RECORD& slot);

}  // namespace nodalux
