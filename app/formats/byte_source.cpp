#include "app/formats/byte_source.h"

#include <algorithm>
#include <cstring>

namespace nodalux::formats {

int MemorySource::read(char* buffer, std::size_t size, std::size_t* got) {
  const std::size_t n = std::min({size, step_, bytes_.size()});
  if (n > 0) std::memcpy(buffer, bytes_.data(), n);
  bytes_.remove_prefix(n);
  *got = n;
  return 0;
}

}  // namespace nodalux::formats
