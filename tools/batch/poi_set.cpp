#include "tools/batch/poi_set.h"

#include <algorithm>
#include <limits>

namespace nodalux::batch {

PoiSet::PoiSet() {
  entries_.reserve(kMaxPoi);
  names_.reserve(kMaxPoi * 128);
}

void PoiSet::add(float longitude, float latitude, std::string_view name, NameKind kind) {
  // Names are at most a few kilobytes (the readers cut them), and the set
  // holds at most kMaxPoi of them, so both fit their fields.
  const std::size_t size = std::min<std::size_t>(name.size(), std::numeric_limits<std::uint16_t>::max());
  entries_.push_back({longitude, latitude, static_cast<std::uint32_t>(names_.size()),
                      static_cast<std::uint16_t>(size), kind});
  names_.append(name.substr(0, size));
}

}  // namespace nodalux::batch
