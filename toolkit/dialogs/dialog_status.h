// Results of the last modal interaction, read through WDialogStatus.
#pragma once

// 1 exit button of the last modal dialog; 2 the field that had the focus when
// it ended; 3 current dialog identifier; 4 result of the last common dialog;
// 5 identifier of the last modal dialog that ended.
int WDialogStatus(int code);

namespace zarv {
void SetCommonDialogResult(int result);  // code 4; also sets code 2 to 0
void SetModalDialogResults(int exit_button, int focus_field, int dialog_id);
void SetCurrentDialogId(int id);  // code 3
}  // namespace zarv
