// Modal dialogs built from dialog templates, and the common dialogs (message
// box, file selection), each run in its own Qt modal loop. Under a script the
// answers are given through the real widgets from timers once they show.
#pragma once

#include <QFont>
#include <QString>
#include <memory>
#include <string_view>

#include "toolkit/platform/platform.h"
#include "toolkit/platform/script.h"
#include "toolkit/platform/transcript.h"

class QWidget;

namespace zarv::platform::qt {

// What the modal runners share with the backend.
struct ModalContext {
  Transcript& transcript;
  ScriptDriver* script = nullptr;  // nullptr: a person answers
  QWidget* owner = nullptr;        // the root window, when open
  QString screenshot_dir;          // empty: no screenshots
  int boxes_shown = 0;             // numbers box-N.png
};

// The dialog font: the face at `points`, else a sans font of that size.
QFont DialogFont(std::string_view face, int points);
DialogBaseUnits BaseUnitsOf(const QFont& font);

void RunModalDialog(const DialogSpec& spec, DialogEvents& events, ModalContext& context);
MessageBoxResult RunMessageBox(const MessageBoxSpec& spec, ModalContext& context);
FileDialogAnswer RunFileDialog(const FileDialogSpec& spec, ModalContext& context);

// A dialog shown modeless: the same widgets as a modal one, in a non-modal
// window that stays up until this object goes away (which writes its
// `dialog ID hide` line). act() performs one script action on it.
class ShownModelessDialog {
 public:
  virtual ~ShownModelessDialog() = default;
  virtual void act(const DialogAction& action) = 0;
};
std::unique_ptr<ShownModelessDialog> ShowModelessDialog(const DialogSpec& spec,
                                                        DialogEvents& events,
                                                        ModalContext& context);

// Saves `widget` as DIR/NAME.png when screenshots are wanted.
void SaveScreenshot(QWidget& widget, const ModalContext& context, const QString& name);

}  // namespace zarv::platform::qt
