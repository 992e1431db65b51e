// Reading a whole file into memory in one go.
#include "app/nodalux/read_whole_file.h"

#include <cstdio>
#include <memory>

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

  std::string bytes;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0) bytes.reserve(static_cast<std::size_t>(size));
    std::rewind(file.get());
  }
  // Read in blocks so that files whose size cannot be asked (pipes) work too.
  char block[1 << 16];
  for (;;) {
    const std::size_t got = std::fread(block, 1, sizeof block, file.get());
    bytes.append(block, got);
    if (got < sizeof block) break;
  }
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

}  // namespace nodalux
