#include "app/nodalux/commands.h"
#include "toolkit/core/toolkit.h"

int main() {
  nodalux::NODALUX();
  zarv::ExitProcess(0);
}
