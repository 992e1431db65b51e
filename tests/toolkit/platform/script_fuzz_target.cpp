// Fuzz entry point for the script reader: any bytes as a script, played
// against the headless backend through every kind of wait and modal
// interaction. It must end, never crash, and keep the transcript printable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolkit/platform/headless/headless_platform.h"
#include "toolkit/platform/script.h"

namespace {

using namespace zarv::platform;

struct CountingSink : InputSink {
  void input(const Input& in) override { closes += in.kind == InputKind::kCloseAsked; }
  int closes = 0;
};

// Accepts everything and ends on the first button or cancel.
struct PermissiveToolkit : DialogEvents {
  void opened(DialogView& v) override {
    view = &v;
    v.set_options(3, {"a", "b"});
  }
  bool key_typed(int, char32_t ch, bool, bool) override { return ch != '!'; }
  void text_changed(int) override {}
  void focus_changing(int, int to, FocusCause) override {
    if (to == 2) view->set_focus(1);  // some moves are refused
  }
  void button_pressed(int id) override {
    if (id != 4) view->end(id, view->focus());
  }
  void enter_pressed(int, bool, bool) override {}
  void cancel() override {
    if (++cancels > 1) view->end(2, view->focus());
  }
  void selection_changed(int) override {}
  void help_requested() override {}
  bool tab_switching(int, int, int) override { return true; }
  DialogView* view = nullptr;
  int cancels = 0;
};

DialogSpec FuzzDialog() {
  DialogSpec d;
  d.id = 7;
  const ControlKind kinds[] = {ControlKind::kEdit, ControlKind::kEdit, ControlKind::kComboEdit,
                              ControlKind::kPushButton, ControlKind::kCheckBox,
                              ControlKind::kStatic, ControlKind::kComboList};
  int id = 1;
  for (const ControlKind k : kinds) {
    ControlSpec c;
    c.id = id++;
    c.kind = k;
    c.tab_stop = true;
    c.length_limit = c.id == 2 ? 3 : 0;
    d.controls.push_back(c);
  }
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);

  // Every line on its own.
  std::size_t pos = 0;
  while (pos <= script.size()) {
    std::size_t end = script.find('\n', pos);
    if (end == std::string_view::npos) end = script.size();
    (void)ParseScriptLine(script.substr(pos, end - pos), 1);
    pos = end + 1;
  }

  // The whole script played through the backend.
  auto transcript = Transcript::InMemory();
  auto platform = CreateHeadlessPlatform(script, *transcript);
  CountingSink sink;
  WindowSpec window;
  window.client = {100, 50};
  platform->open_window(window, sink);
  const DialogSpec dialog = FuzzDialog();
  for (int step = 0; sink.closes < 3; ++step) {
    switch (step % 5) {
      case 0: platform->wait_input(); break;
      case 1: platform->message_box({step % 7, 1, step % 3, "t", "m"}); break;
      case 2: platform->file_dialog({}); break;
      case 3: {
        PermissiveToolkit toolkit;
        platform->run_modal_dialog(dialog, toolkit);
        break;
      }
      default: platform->wait_input();
    }
  }
  for (const auto& line : transcript->lines()) {
    for (const char c : line) {
      if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) std::abort();
    }
  }
  return 0;
}
