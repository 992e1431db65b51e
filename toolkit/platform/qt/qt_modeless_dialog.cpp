// A template dialog shown modeless: it stays on screen while the program
// goes on waiting for events, its controls reporting to the toolkit, until
// the program takes it away.
#include <memory>

#include "toolkit/platform/qt/qt_template_dialog.h"

namespace zarv::platform::qt {
namespace {

class ModelessAdapter final : public ShownModelessDialog {
 public:
  ModelessAdapter(const DialogSpec& spec, DialogEvents& events, ModalContext& context)
      : dialog_(spec, events, context) {
    dialog_.open_modeless();
  }
  ~ModelessAdapter() override { dialog_.hide_modeless(); }
  void act(const DialogAction& action) override { dialog_.act(action); }

 private:
  TemplateDialog dialog_;
};

}  // namespace

std::unique_ptr<ShownModelessDialog> ShowModelessDialog(const DialogSpec& spec,
                                                        DialogEvents& events,
                                                        ModalContext& context) {
  return std::make_unique<ModelessAdapter>(spec, events, context);
}

}  // namespace zarv::platform::qt
