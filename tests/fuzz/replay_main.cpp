// The main of a fuzz target in an ordinary build: replays every saved input
// (the seed corpus and every input that ever found a fault) through the
// target's entry point. Arguments are files or folders of files. A fault
// shows as a crash, a sanitizer report or an abort, as under the fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> InputsUnder(const std::filesystem::path& arg) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  if (std::filesystem::is_directory(arg, ec)) {
    for (const auto& entry : std::filesystem::directory_iterator(arg, ec)) {
      if (entry.is_regular_file(ec)) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
  } else if (std::filesystem::is_regular_file(arg, ec)) {
    files.push_back(arg);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::vector<std::filesystem::path> files = InputsUnder(argv[i]);
    if (files.empty()) {
      std::fprintf(stderr, "%s: no saved inputs in %s\n", argv[0], argv[i]);
      return 2;
    }
    for (const auto& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), {}};
      // Fresh storage of the exact size, so a read past the end is caught.
      std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
      LLVMFuzzerTestOneInput(data.data(), data.size());
      ++replayed;
    }
  }
  if (replayed == 0) {
    std::fprintf(stderr, "usage: %s INPUT-FILE-OR-FOLDER...\n", argv[0]);
    return 2;
  }
  std::printf("%zu saved inputs replayed\n", replayed);
  return 0;
}
