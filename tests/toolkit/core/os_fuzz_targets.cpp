#include "tests/toolkit/core/os_fuzz_targets.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "toolkit/core/command_line.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/text.h"

namespace zarv::fuzz {
namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void RemoveStore(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
}

}  // namespace

int RegistryStoreFile(const std::uint8_t* data, std::size_t size) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("zarv-fuzz-registry-" + std::to_string(::getpid()) + ".sqlite"))
                               .string();
  RemoveStore(path);
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  const char* old = std::getenv("ZARVREGISTRY");
  const std::string kept = old ? old : "";
  ::setenv("ZARVREGISTRY", path.c_str(), 1);
  InfoStatus(1);

  constexpr std::string_view key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvath\\Nodalux";
  for (std::string_view name : {"input_file", "circle", ""}) {
    Text<64> text;
    TextSpan span = text;
    int type = 0, length = 0;
    IOsRegistryGet(key, &span, name, &type, &length);
    Check(length >= 0);
    if (type == -1 || type == -2) Check(length == 0 && text.blank());
  }
  InfoStatus(1);
  IOsRegistryPut(key, Text<64>("51.50000N"), "circle");
  if (InfoStatus(1) != 0) Check(Slurp(path) == bytes);

  RemoveStore(path);
  if (old) {
    ::setenv("ZARVREGISTRY", kept.c_str(), 1);
  } else {
    ::unsetenv("ZARVREGISTRY");
  }
  return 0;
}

int CommandLine(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);

  std::size_t total = 0;
  for (const std::string& w : SplitCommandArguments(line)) total += w.size();
  Check(total <= line.size());

  for (const std::string& w : SplitArgumentWords(line)) {
    Check(w.size() <= line.size());
    Check(w.find('\0') == std::string::npos || line.find('\0') != std::string_view::npos);
  }
  const CommandHead head = SplitCommandHead(line);
  Check(head.program.size() + head.rest.size() <= line.size());

  // Words without quotes or blanks survive being joined and split again.
  std::vector<std::string> plain;
  for (const std::string& w : SplitArgumentWords(line)) {
    if (!w.empty() && w.find_first_of("\" \t") == std::string::npos) plain.push_back(w);
  }
  Check(SplitArgumentWords(JoinArguments(plain)) == plain);
  return 0;
}

}  // namespace zarv::fuzz
