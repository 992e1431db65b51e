// The table of loaded dialogs and the current-dialog rule that every dialog
// routine follows.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "toolkit/dialogs/dialog_model.h"

namespace zarv::dialogs {

inline constexpr int kMaxDialogs = 100;

enum ErrorCode {
  kNoDialogLoaded = 1005,
  kInvalidField = 1006,
  kCannotLoad = 1007,
  kCannotSelect = 1008,
  kOutOfRange = 1009,
  kValueUndefined = 1010,
  kBadOption = 1011,
  kBadMode = 1014,
  kCannotUnloadSubDialog = 1069,
};

struct DialogTable {
  std::vector<std::unique_ptr<Dialog>> slots;  // load order; slot n is slots[n - 1]
  int current_slot = 0;                        // 0: none
  int current_id = 0;                          // 0: none
  int semi_modeless_shown = 0;
  bool modal_running = false;
};

DialogTable& Table();

Dialog* FindDialog(int identifier);
// The current dialog; reports 1005 under `routine` when there is none.
Dialog* CurrentDialog(std::string_view routine);
void MakeCurrent(int identifier);  // 0: none

// Loads template `resource` under `identifier` with its extra data, makes it
// current and returns it; nullptr (nothing changed) when it cannot be loaded.
Dialog* LoadDialog(int resource, int identifier);

// For tests: unloads every dialog.
void ResetDialogTable();

// The beep setting (on after the toolkit's start-up).
bool BeepEnabled();

}  // namespace zarv::dialogs
