#include "tools/batch/poi_set.h"

namespace nodalux::batch {

PoiSet::PoiSet() {
  entries_.reserve(kMaxPoi);
  names_.reserve(kMaxPoi * 128);
}

}  // namespace nodalux::batch
