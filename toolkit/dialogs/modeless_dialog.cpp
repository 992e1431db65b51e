#include "toolkit/dialogs/modeless_dialog.h"

#include <map>
#include <memory>

#include "toolkit/core/event_queue.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/modal_dialog.h"
#include "toolkit/platform/platform.h"

namespace zarv::dialogs {
namespace {

// Value1 of an EvDialogCommand raised by the help key.
constexpr int kHelpButton = 9;

class ModelessDialog final : public DialogInstance {
 public:
  using DialogInstance::DialogInstance;

  // Every user action ends with the model brought up to date, so that a get
  // made while the dialog stays shown reads what the user did.
  void opened(platform::DialogView& view) override {
    DialogInstance::opened(view);
    sync();
  }
  bool key_typed(int id, char32_t ch, bool ctrl, bool alt) override {
    const bool taken = DialogInstance::key_typed(id, ch, ctrl, alt);
    sync();
    return taken;
  }
  void text_changed(int id) override {
    DialogInstance::text_changed(id);
    sync();
  }
  void focus_changing(int from, int to, platform::FocusCause cause) override {
    DialogInstance::focus_changing(from, to, cause);
    sync();
  }
  void button_pressed(int id) override {
    DialogInstance::button_pressed(id);
    sync();
  }
  void enter_pressed(int id, bool ctrl, bool alt) override {
    DialogInstance::enter_pressed(id, ctrl, alt);
    sync();
  }
  void cancel() override {
    DialogInstance::cancel();
    sync();
  }
  void selection_changed(int id) override {
    DialogInstance::selection_changed(id);
    sync();
  }
  bool tab_switching(int id, int from_index, int to_index) override {
    const bool allowed = DialogInstance::tab_switching(id, from_index, to_index);
    sync();
    return allowed;
  }
  void help_requested() override {
    if (!has_view()) return;
    QueueDialogEvent(EvDialogCommand, model_.record.identifier, kHelpButton, focused_field());
  }

  void refresh(int id) {
    Field* mine = field(id);
    const Field* put = model_.field(id);
    if (!mine || !put) return;
    *mine = *put;
    if (has_view()) show_field(*mine);
  }

 private:
  void button_acted(int window, int button, int focus_field) override {
    // A push button does not end a modeless dialog: it is reported.
    sync();
    QueueDialogEvent(EvDialogCommand, window, button, focus_field);
  }
  void focus_moved(int window, int from, int to) override {
    QueueDialogEvent(EvFieldFocus, window, from, to);
  }
  void selection_made(int window, int id) override {
    QueueDialogEvent(EvFieldFocus, window, id, id);
  }
  void tab_switched(int window, int from_page, int to_page) override {
    QueueDialogEvent(EvTabSwitch, window, from_page, to_page);
  }

  void sync() {
    if (!has_view()) return;
    read_view();
    store_back();
  }
};

struct Shown {
  std::unique_ptr<ModelessDialog> instance;
  Dialog* model = nullptr;
};

std::map<int, Shown>& ShownDialogs() {
  static std::map<int, Shown> shown;
  return shown;
}

}  // namespace

void ShowModeless(Dialog& d, int x, int y, int focus) {
  const int id = d.record.identifier;
  CloseModeless(id);
  auto instance = std::make_unique<ModelessDialog>(d, focus);
  ModelessDialog& events = *instance;
  ShownDialogs()[id] = Shown{std::move(instance), &d};
  ThePlatform().show_modeless_dialog(events.spec(x, y), events);
}

void CloseModeless(int id) {
  auto& shown = ShownDialogs();
  const auto it = shown.find(id);
  if (it == shown.end()) return;
  // The backend lets go of the instance before it goes away.
  ThePlatform().close_modeless_dialog(id);
  shown.erase(it);
}

void CloseAllModeless() {
  while (!ShownDialogs().empty()) CloseModeless(ShownDialogs().begin()->first);
}

void RefreshShownField(Dialog& d, int field) {
  const auto it = ShownDialogs().find(d.record.identifier);
  if (it != ShownDialogs().end() && it->second.model == &d) {
    it->second.instance->refresh(field);
    return;
  }
  // A tab page shows inside the dialog that holds it.
  for (auto& [id, shown] : ShownDialogs()) {
    if (shown.instance->refresh_page_field(d.record.identifier, field)) return;
  }
}

}  // namespace zarv::dialogs
