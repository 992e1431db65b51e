// A byte source for tests: hands out its bytes, then fails every read with
// EIO once `good` bytes have gone; counts what it gave.
#pragma once

#include <algorithm>
#include <cerrno>
#include <string>

#include "app/formats/byte_source.h"

namespace nodalux::formats {

class FailingSource final : public ByteSource {
 public:
  FailingSource(std::string bytes, std::size_t good) : bytes_(std::move(bytes)), good_(good) {}
  int read(char* buffer, std::size_t size, std::size_t* got) override {
    *got = 0;
    if (given_ >= good_) return EIO;
    const std::size_t n = std::min({size, good_ - given_, bytes_.size() - given_});
    bytes_.copy(buffer, n, given_);
    given_ += n;
    *got = n;
    return 0;
  }
  std::size_t given() const { return given_; }

 private:
  std::string bytes_;
  std::size_t good_;
  std::size_t given_ = 0;
};

}  // namespace nodalux::formats
