// Stand-ins for the root window's routines the dialogs call, while the
// window code is being written elsewhere.
#include <string>

#include "toolkit/core/toolkit.h"
#include "toolkit/core/window.h"
#include "toolkit/platform/platform.h"

void WindowStatusText(int part, std::string_view text) {
  zarv::ThePlatform().set_status_text(part, text);
}
namespace zarv {
int ClientWidth() { return 800; }
int ClientHeight() { return 600; }
}  // namespace zarv
