// Where a reader takes its bytes from, a chunk at a time, so that an input
// never has to fit in memory.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace nodalux::formats {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills the start of `buffer` and says how many bytes it put there: 0 at
  // the end of the input, nothing when the input could not be read.
  virtual std::optional<std::size_t> read(std::span<char> buffer) = 0;
};

// Bytes already in memory.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : rest_(bytes) {}
  std::optional<std::size_t> read(std::span<char> buffer) override {
    const std::size_t n = rest_.copy(buffer.data(), buffer.size());
    rest_.remove_prefix(n);
    return n;
  }

 private:
  std::string_view rest_;
};

}  // namespace nodalux::formats
