#include "tools/batch/poi_set.h"

#include <algorithm>
#include <new>

namespace nodalux::batch {

PoiSet::PoiSet() {
  entries_.reserve(kMaxPoi);
  grow(kMaxPoi * 128);
}

void PoiSet::grow(std::size_t more) {
  const std::size_t capacity = std::max(names_capacity_ * 2, names_size_ + more);
  char* grown = static_cast<char*>(std::realloc(names_.get(), capacity));
  if (grown == nullptr) throw std::bad_alloc();
  names_.release();
  names_.reset(grown);
  names_capacity_ = capacity;
}

}  // namespace nodalux::batch
