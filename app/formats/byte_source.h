// Where the readers get their bytes: a file read in chunks, or bytes in
// memory (tests, fuzzing). A reader never needs more of it at once than its
// own fixed buffer holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "toolkit/os/files.h"

namespace nodalux::formats {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes into `buffer`; *got is 0 at the end. Returns 0 or an
  // errno value.
  virtual int read(char* buffer, std::size_t size, std::size_t* got) = 0;
};

// Bytes held by the caller, handed out at most `step` at a time (so tests
// can put chunk boundaries anywhere).
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes, std::size_t step = static_cast<std::size_t>(-1))
      : bytes_(bytes), step_(step == 0 ? 1 : step) {}
  int read(char* buffer, std::size_t size, std::size_t* got) override;

 private:
  std::string_view bytes_;
  std::size_t step_;
};

// A file opened through the operating-system door.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(zarv::os::InputFile& file) : file_(file) {}
  int read(char* buffer, std::size_t size, std::size_t* got) override {
    return file_.read(buffer, size, got);
  }

 private:
  zarv::os::InputFile& file_;
};

}  // namespace nodalux::formats
