#include <string>

#include "app/nodalux/commands.h"
#include "toolkit/core/text.h"
#include "toolkit/dialogs/dialog_fields.h"
#include "toolkit/dialogs/dialog_manager.h"

namespace nodalux {

void ABOUT() {
  constexpr char CR = '\r';
  std::string lines;
  lines += CR;
  lines += "Nodalux v1.00 7/3/2005";
  lines += CR;
  lines += '-';
  lines += CR;
  lines += "(c) 2005 Quorvath";
  const zarv::Text<512> TEXT(lines);

  WDialogLoad(101);
  WDialogPutString(1001, TEXT);
  WDialogShow(-1, -1, 0, 1);
  WDialogUnload();
}

}  // namespace nodalux
