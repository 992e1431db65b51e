// Modeless and semi-modeless dialogs on screen. Each shown one keeps a
// dialog instance alive that brings the loaded dialog's model up to date
// after every user action, so that the gets read what the user did, and
// turns the user's actions into events of the root window's queue:
//   3  (EvDialogCommand) a push button, Esc or the close box (button 2),
//      the help key (button 9): window = dialog identifier, Value1 = the
//      button, Value2 = the field that had the focus when it was pressed;
//   10 (EvFieldFocus)    a focus move: Value1 = field left, Value2 = field
//      entered; a check, list or combo selection change: both = that field;
// the last only while its kind is enabled.
#pragma once

#include "toolkit/dialogs/dialog_model.h"

namespace zarv::dialogs {

// Puts the loaded dialog `d` on screen, placed at (x, y) in screen pixels,
// with the focus on `focus` (0: the backend's choice). The record's mode
// (2 or 3) and shown flag are set by the caller.
void ShowModeless(Dialog& d, int x, int y, int focus);

// Takes dialog `id` off screen if it is shown modeless; its model keeps the
// user's last input.
void CloseModeless(int id);

// Takes every modeless dialog off screen (the table is being reset).
void CloseAllModeless();

// A put changed field `field` of the loaded dialog `d`: a shown instance
// shows the new value.
void RefreshShownField(Dialog& d, int field);

}  // namespace zarv::dialogs
