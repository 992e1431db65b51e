#include "toolkit/dialogs/dialog_table.h"

#include <algorithm>

#include "toolkit/core/errors.h"
#include "toolkit/core/event_queue.h"
#include "toolkit/core/resource_script.h"
#include "toolkit/core/resources.h"
#include "toolkit/dialogs/dialog_status.h"
#include "toolkit/dialogs/extra_data.h"
#include "toolkit/dialogs/modeless_dialog.h"

namespace zarv::dialogs {

DialogTable& Table() {
  static DialogTable table;
  return table;
}

Dialog* FindDialog(int identifier) {
  for (auto& d : Table().slots) {
    if (d->record.identifier == identifier) return d.get();
  }
  return nullptr;
}

Dialog* CurrentDialog(std::string_view routine) {
  DialogTable& t = Table();
  if (t.current_id == 0 || t.current_slot < 1 ||
      t.current_slot > static_cast<int>(t.slots.size())) {
    ReportError(kNoDialogLoaded, routine);
    return nullptr;
  }
  return t.slots[static_cast<std::size_t>(t.current_slot - 1)].get();
}

void MakeCurrent(int identifier) {
  DialogTable& t = Table();
  t.current_slot = 0;
  t.current_id = 0;
  for (std::size_t i = 0; i < t.slots.size(); ++i) {
    if (t.slots[i]->record.identifier == identifier) {
      t.current_slot = static_cast<int>(i) + 1;
      t.current_id = identifier;
    }
  }
  SetCurrentDialogId(t.current_id);
}

Dialog* LoadDialog(int resource, int identifier) {
  DialogTable& t = Table();
  if (Dialog* loaded = FindDialog(identifier)) {
    MakeCurrent(identifier);
    return loaded;
  }
  if (static_cast<int>(t.slots.size()) >= kMaxDialogs) return nullptr;
  const ResourceSet& resources = Resources();
  const auto layout = resources.dialogs.find(resource);
  if (layout == resources.dialogs.end()) return nullptr;

  auto dialog = std::make_unique<Dialog>();
  dialog->record.identifier = identifier;
  dialog->resource = resource;
  dialog->layout = layout->second;
  for (const ControlTemplate& control : dialog->layout.controls) {
    dialog->fields.push_back(MakeField(control));
  }
  Dialog& d = *dialog;
  t.slots.push_back(std::move(dialog));
  MakeCurrent(identifier);

  if (const auto extra = resources.rcdata.find(resource); extra != resources.rcdata.end()) {
    ApplyExtraData(d, extra->second);
  }
  RecordInitialStates(d);
  MakeCurrent(identifier);
  return &d;
}

void ResetDialogTable() {
  DialogTable& t = Table();
  CloseAllModeless();
  if (t.semi_modeless_shown > 0) SetToolkitWindowsEnabled(true);
  t.slots.clear();
  t.semi_modeless_shown = 0;
  t.modal_running = false;
  MakeCurrent(0);
}

}  // namespace zarv::dialogs
