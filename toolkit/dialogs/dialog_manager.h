// Resource dialogs driven by field identifier: load a template with its
// extra data, show it (modal, modeless, semi-modeless), unload it.
#pragma once

void WDialogLoad(int resource, const int* identifier = nullptr);
void WDialogSelect(int identifier);
// Defaults: x -1, y -1 (centred), focus 0 (none), mode 2 (modeless).
void WDialogShow(int x = -1, int y = -1, int focus = 0, int mode = 2);
void WDialogUnload(int flag = 0);
