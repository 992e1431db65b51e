#include "toolkit/dialogs/dialog_manager.h"

#include <algorithm>

#include "toolkit/core/errors.h"
#include "toolkit/core/resource_script.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/dialog_status.h"
#include "toolkit/dialogs/dialog_table.h"
#include "toolkit/dialogs/modal_dialog.h"
#include "toolkit/dialogs/modeless_dialog.h"
#include "toolkit/core/event_queue.h"
#include "toolkit/platform/platform.h"

using zarv::dialogs::Dialog;
using zarv::dialogs::Table;

namespace {

// Top-left corner in pixels. Pop-ups are placed on the screen, -1 centring
// them; child-style dialogs on the 0..9999 scale of the root client area.
struct Placement {
  int x = 0, y = 0;
};

Placement Place(const Dialog& d, int x, int y) {
  auto& platform = zarv::ThePlatform();
  const auto units = platform.dialog_base_units(d.layout.font_face,
                                                d.layout.font_points > 0 ? d.layout.font_points : 8);
  const int width = d.layout.cx * units.width / 4;
  const int height = d.layout.cy * units.height / 8;
  if (d.layout.style & zarv::style::kChild) {
    const long long cw = zarv::ClientWidth(), ch = zarv::ClientHeight();
    auto scale = [](long long size, int value, int extent) {
      if (value == -1) return static_cast<int>((size - extent) / 2);
      return static_cast<int>((size - 1) * std::clamp(value, 0, 9999) / 9999);
    };
    return {scale(cw, x, width), scale(ch, y, height)};
  }
  const auto screen = platform.screen_size();
  return {x == -1 ? (screen.w - width) / 2 : x, y == -1 ? (screen.h - height) / 2 : y};
}

void ShowModal(Dialog& d, int x, int y, int focus) {
  const Placement at = Place(d, x, y);
  zarv::dialogs::ModalDialog instance(d, focus);
  d.record.show_mode = 1;
  d.record.shown = 1;
  Table().modal_running = true;
  zarv::ThePlatform().run_modal_dialog(instance.spec(at.x, at.y), instance);
  Table().modal_running = false;
  d.record.shown = 0;
  if (!instance.ended()) {
    // The backend gave up on the dialog without a button: treat it as the
    // close box, with the fields as they were.
    zarv::SetModalDialogResults(2, d.record.current_field, d.record.identifier);
  }
}

}  // namespace

void WDialogLoad(int resource, const int* identifier) {
  const int id = identifier ? *identifier : resource;
  if (!zarv::dialogs::LoadDialog(resource, id)) {
    zarv::ReportError(zarv::dialogs::kCannotLoad, "WDialogLoad");
  }
}

void WDialogSelect(int identifier) {
  if (identifier == 0 || !zarv::dialogs::FindDialog(identifier)) {
    zarv::ReportError(zarv::dialogs::kCannotSelect, "WDialogSelect");
    return;
  }
  zarv::dialogs::MakeCurrent(identifier);
}

void WDialogShow(int x, int y, int focus, int mode) {
  Dialog* d = zarv::dialogs::CurrentDialog("WDialogShow");
  if (!d) return;
  if (mode == 1 && Table().modal_running) {
    // One modal instance at a time: a second one is refused.
    zarv::ReportError(zarv::dialogs::kBadMode, "WDialogShow");
    return;
  }
  if (d->record.shown) return;  // already up: the mode stays as it is

  const bool child = (d->layout.style & zarv::style::kChild) != 0;
  bool mode_changed = false;
  if (child && mode != 2) {
    mode = 2;
    mode_changed = true;
  } else if (mode == 2 && Table().semi_modeless_shown > 0) {
    mode = 3;
    mode_changed = true;
  } else if (mode != 1 && mode != 3) {
    mode = 2;
  }

  if (mode == 1) {
    ShowModal(*d, x, y, focus);
    return;
  }
  // Modeless and semi-modeless dialogs stay on screen, with the focus on the
  // requested field, their actions arriving as events. A semi-modeless one
  // disables the toolkit's windows while it is shown.
  const Placement at = Place(*d, x, y);
  if (mode == 3) {
    ++Table().semi_modeless_shown;
    zarv::SetToolkitWindowsEnabled(false);
  }
  d->record.show_mode = mode;
  d->record.shown = 1;
  d->record.current_field = d->field(focus) ? focus : 0;
  zarv::dialogs::ShowModeless(*d, at.x, at.y, focus);
  if (mode_changed) zarv::ReportError(zarv::dialogs::kBadMode, "WDialogShow");
}

void WDialogUnload(int flag) {
  Dialog* d = zarv::dialogs::CurrentDialog("WDialogUnload");
  if (!d) return;
  if (d->tab_owner != 0 && zarv::dialogs::FindDialog(d->tab_owner)) {
    zarv::ReportError(zarv::dialogs::kCannotUnloadSubDialog, "WDialogUnload");
    return;
  }
  auto& table = Table();
  std::vector<int> doomed{d->record.identifier};
  // Tab pages go with their dialog unless asked to stay; pages of pages too.
  for (std::size_t i = 0; i < doomed.size(); ++i) {
    for (auto& other : table.slots) {
      if (other->tab_owner == doomed[i]) {
        if (flag == 0) {
          doomed.push_back(other->record.identifier);
        } else {
          other->tab_owner = 0;
          other->record.shown = 0;
        }
      }
    }
  }
  for (int id : doomed) {
    auto it = std::find_if(table.slots.begin(), table.slots.end(),
                           [id](const auto& s) { return s->record.identifier == id; });
    if (it == table.slots.end()) continue;
    zarv::dialogs::CloseModeless(id);
    if ((*it)->record.shown && (*it)->record.show_mode == 3 && table.semi_modeless_shown > 0) {
      --table.semi_modeless_shown;
    }
    table.slots.erase(it);
  }
  if (table.semi_modeless_shown == 0) zarv::SetToolkitWindowsEnabled(true);
  zarv::dialogs::MakeCurrent(0);
}
