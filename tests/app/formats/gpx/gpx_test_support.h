// Reading a GPX text whole or in chunks of chosen sizes, for the tests.
#pragma once

#include <cerrno>
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/formats/gpx/gpx_reader.h"

namespace nodalux::gpx::testing {

// Hands out the text in chunks of the given sizes, in turn.
class ChunkedSource final : public formats::ByteSource {
 public:
  ChunkedSource(std::string_view bytes, std::vector<std::size_t> sizes)
      : rest_(bytes), sizes_(std::move(sizes)) {}
  int read(char* data, std::size_t size, std::size_t* got) override {
    std::size_t n = sizes_.empty() ? size : sizes_[turn_++ % sizes_.size()];
    n = rest_.copy(data, std::min(n, size));
    rest_.remove_prefix(n);
    *got = n;
    return 0;
  }

 private:
  std::string_view rest_;
  std::vector<std::size_t> sizes_;
  std::size_t turn_ = 0;
};

struct ReadResult {
  std::vector<Poi> pois;
  std::optional<Error> error;
  std::size_t track_points = 0;
};

inline ReadResult ReadAll(formats::ByteSource& source) {
  Reader reader(source);
  ReadResult result;
  while (std::optional<Poi> poi = reader.next()) result.pois.push_back(std::move(*poi));
  result.error = reader.error();
  result.track_points = reader.track_points();
  return result;
}

inline ReadResult ReadGpx(std::string_view text, std::vector<std::size_t> chunk_sizes = {}) {
  ChunkedSource source(text, std::move(chunk_sizes));
  return ReadAll(source);
}

}  // namespace nodalux::gpx::testing
