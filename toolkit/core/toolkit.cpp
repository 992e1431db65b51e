#include "toolkit/core/toolkit.h"

#include <errno.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "toolkit/platform/platform.h"

namespace zarv {
namespace {
std::unique_ptr<platform::Platform>& Slot() {
  static std::unique_ptr<platform::Platform> p;
  return p;
}
}  // namespace

platform::Platform& ThePlatform() {
  auto& p = Slot();
  if (!p) {
    std::string error;
    p = platform::CreatePlatform(&error);
    if (!p) {
      std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, error.c_str());
      std::fflush(stderr);
      std::_Exit(1);
    }
  }
  return *p;
}

bool HavePlatform() { return Slot() != nullptr; }

void SetPlatform(std::unique_ptr<platform::Platform> platform) { Slot() = std::move(platform); }

void Note(std::string_view text) { ThePlatform().note(text); }

void ExitProcess(int status) {
  if (auto& p = Slot()) p->process_exit(status);
  std::fflush(nullptr);
  // Backends may own native resources whose destructors must not run after
  // the process has been told to end (a Qt application object, for one).
  std::_Exit(status);
}

}  // namespace zarv
