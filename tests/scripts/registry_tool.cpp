// Seeds and reads the program's two settings for the script tests:
//   registry_tool put NAME "TEXT"   stores TEXT (quotes removed) as NAME
//   registry_tool dump              prints both values, quoted
#include <cstdio>
#include <cstring>
#include <string>

#include "toolkit/core/os_services.h"
#include "toolkit/core/text.h"

namespace {
constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvath\\Nodalux";

std::string Unquote(std::string s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

void Dump(const char* name, std::size_t width) {
  std::string buffer(width, ' ');
  zarv::TextSpan text(buffer.data(), buffer.size());
  int type = 0;
  int length = 0;
  IOsRegistryGet(kKey, &text, name, &type, &length);
  std::printf("%s %d %d \"%s\"\n", name, type, length, std::string(text.trimmed()).c_str());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "put") == 0) {
    const std::string name = argv[2];
    std::string value = Unquote(argv[3]);
    value.resize(name == "circle" ? 64 : 256, ' ');
    IOsRegistryPut(kKey, value, name, 1);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "dump") == 0) {
    Dump("input_file", 256);
    Dump("circle", 64);
    return 0;
  }
  std::fprintf(stderr, "usage: registry_tool put NAME TEXT | dump\n");
  return 2;
}
