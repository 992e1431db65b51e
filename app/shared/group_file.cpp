#include "app/shared/group_file.h"

#include <algorithm>
#include <utility>

#include "app/shared/program_state.h"
#include "toolkit/os/files.h"

namespace nodalux {
namespace {
constexpr std::size_t kChunk = 64 * 1024;
}  // namespace

GroupFileResult WriteGroupFile(const std::string& path, std::string_view header,
                               AppendGroupLine append, std::string_view trailer,
                               const zarv::os::AtomicOptions& options) {
  zarv::os::AtomicFile file;
  if (const int error = file.create(path, options)) return {error, false};
  std::string chunk(header);
  chunk.reserve(kChunk + 512);
  const std::int32_t count = std::clamp(GROUP_COUNT, 0, MAX_POI);
  for (std::int32_t i = 1; i <= count; ++i) {
    const PoiRef poi = GROUP_TABLE.at(i);
    append(chunk, poi.longitude, poi.latitude, poi.name);
    if (chunk.size() >= kChunk) {
      if (const int error = file.write(chunk)) return {error, true};
      chunk.clear();
    }
  }
  chunk.append(trailer);
  if (const int error = file.write(chunk)) return {error, true};
  return {file.commit(), true};
}

}  // namespace nodalux
