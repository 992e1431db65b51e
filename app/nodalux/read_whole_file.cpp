// Reading a whole file into memory in one go.
#include "app/nodalux/read_whole_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <new>

namespace nodalux {
namespace {
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

std::optional<std::string> ReadWholeFile(std::string_view path) {
  const FileHandle file(std::fopen(std::string(path).c_str(), "rb"));
  if (!file) return std::nullopt;
  struct stat info {};
  if (fstat(fileno(file.get()), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;

  try {
    std::string bytes;
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
      bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    // Read in blocks, so that files whose size is not known (pipes) work too.
    char block[1 << 16];
    for (;;) {
      const std::size_t got = std::fread(block, 1, sizeof block, file.get());
      bytes.append(block, got);
      if (got < sizeof block) break;
    }
    if (std::ferror(file.get())) return std::nullopt;
    return bytes;
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // larger than memory: it cannot be read
  }
}

}  // namespace nodalux
