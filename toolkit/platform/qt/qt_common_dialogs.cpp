// The message box and the file selection as Qt dialogs.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <optional>
#include <vector>

#include "toolkit/os/files.h"
#include "toolkit/platform/qt/qt_input.h"
#include "toolkit/platform/qt/qt_modal_dialog.h"
#include "toolkit/platform/qt/qt_text.h"

namespace zarv::platform::qt {

void SaveScreenshot(QWidget& widget, const ModalContext& context, const QString& name) {
  if (context.screenshot_dir.isEmpty()) return;
  QDir().mkpath(context.screenshot_dir);
  const QString path = QDir(context.screenshot_dir).filePath(name + QStringLiteral(".png"));
  if (!widget.grab().save(path, "PNG"))
    context.transcript.note("screenshot " + FromQt(path) + " could not be saved");
}

namespace {

// Dialogs belong to the modal dialog now running, else to the root window.
QWidget* OwnerOf(const ModalContext& context) {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return context.owner;
}

// ---------------------------------------------------------------- message box

constexpr int kBoxClicks = 3;

struct BoxButton {
  QMessageBox::StandardButton button;
  int result;
};

std::vector<BoxButton> ButtonsOf(int type) {
  using B = QMessageBox;
  switch (type) {
    case 1: return {{B::Ok, 1}, {B::Cancel, 0}};
    case 2: return {{B::Retry, 1}, {B::Cancel, 0}};
    case 3: return {{B::Yes, 1}, {B::No, 2}};
    case 4: return {{B::Yes, 1}, {B::No, 2}, {B::Cancel, 0}};
    case 5: return {{B::Abort, 2}, {B::Retry, 1}, {B::Ignore, 0}};
    default: return {{B::Ok, 1}};
  }
}

QMessageBox::Icon IconOf(int icon) {
  switch (icon) {
    case 1: return QMessageBox::Critical;
    case 2: return QMessageBox::Question;
    case 3: return QMessageBox::Warning;
    case 4: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int IconCode(QMessageBox::Icon icon) {
  switch (icon) {
    case QMessageBox::Critical: return 1;
    case QMessageBox::Question: return 2;
    case QMessageBox::Warning: return 3;
    case QMessageBox::Information: return 4;
    default: return 0;
  }
}

int ResultOf(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok:
    case QMessageBox::Yes:
    case QMessageBox::Retry: return 1;
    case QMessageBox::No:
    case QMessageBox::Abort: return 2;
    case QMessageBox::Cancel:
    case QMessageBox::Ignore: return 0;
    default: return -1;
  }
}

// The button type whose buttons the box shows, read from the box.
int TypeOf(QMessageBox& box) {
  QMessageBox::StandardButtons shown = box.standardButtons();
  for (int type = 0; type <= 5; ++type) {
    QMessageBox::StandardButtons wanted;
    for (const BoxButton& b : ButtonsOf(type)) wanted |= b.button;
    if (wanted == shown) return type;
  }
  return -1;
}

// Once the box is on screen: the screenshot, then (under a script) the
// answer, clicked as a person clicks it: in the active window. A box that
// is mapped but not yet active may still lose the focus to its owner while
// the window manager settles, and a button that loses the focus between
// press and release takes no click. A click lost that way is given again;
// a box that takes none is noted and closed, so a scripted run always ends.
void AnswerWhenShown(QMessageBox& box, ModalContext& context, int number,
                     QMessageBox::StandardButton answer, bool scripted, int clicks = 0) {
  const QWindow* handle = box.windowHandle();
  if (!box.isVisible() || !handle || !handle->isExposed()) {
    QTimer::singleShot(10, &box, [&box, &context, number, answer, scripted, clicks] {
      AnswerWhenShown(box, context, number, answer, scripted, clicks);
    });
    return;
  }
  if (clicks == 0) SaveScreenshot(box, context, QStringLiteral("box-%1").arg(number));
  if (!scripted) return;
  const std::string name = "box " + std::to_string(number);
  box.activateWindow();
  if (!WaitUntil([&box] { return box.isActiveWindow() || !box.isVisible(); }, kActivePatienceMs) &&
      clicks == 0)
    context.transcript.note(name + " did not become the active window");
  if (!box.isVisible()) return;
  QAbstractButton* button = box.button(answer);
  if (button) Click(*button, button->rect().center());
  if (!box.isVisible()) return;
  if (button && clicks + 1 < kBoxClicks) {
    QTimer::singleShot(0, &box, [&box, &context, number, answer, scripted, clicks] {
      AnswerWhenShown(box, context, number, answer, scripted, clicks + 1);
    });
    return;
  }
  context.transcript.note(name + " took no click on its button; closed");
  static_cast<QDialog&>(box).done(QDialog::Rejected);
}
}  // namespace

MessageBoxResult RunMessageBox(const MessageBoxSpec& spec, ModalContext& context) {
  const std::vector<BoxButton> buttons = ButtonsOf(spec.buttons);
  QMessageBox box(OwnerOf(context));
  box.setWindowTitle(ToQt(spec.title));
  box.setTextFormat(Qt::PlainText);
  box.setText(LinesToQt(spec.text));
  box.setIcon(IconOf(spec.icon));
  QMessageBox::StandardButtons set;
  for (const BoxButton& b : buttons) set |= b.button;
  box.setStandardButtons(set);
  const std::size_t default_at =
      std::min<std::size_t>(std::size_t(std::max(spec.default_button, 0)), buttons.size() - 1);
  const QMessageBox::StandardButton default_button = buttons[default_at].button;
  box.setDefaultButton(default_button);

  QMessageBox::StandardButton answer = default_button;
  const bool scripted = context.script != nullptr;
  if (scripted) {
    if (std::optional<int> wanted = context.script->box_answer()) {
      auto it = std::find_if(buttons.begin(), buttons.end(),
                             [&](const BoxButton& b) { return b.result == *wanted; });
      if (it != buttons.end()) {
        answer = it->button;
      } else {
        context.transcript.note("box " + std::to_string(*wanted) +
                                ": this box has no button for it; default button used");
      }
    }
  }
  const int number = ++context.boxes_shown;
  QTimer::singleShot(0, &box, [&box, &context, number, answer, scripted] {
    AnswerWhenShown(box, context, number, answer, scripted);
  });
  box.exec();

  // The transcript says what the box showed and which button was clicked.
  int result = -1;
  if (QAbstractButton* clicked = box.clickedButton()) result = ResultOf(box.standardButton(clicked));
  const QMessageBox::StandardButton shown_default =
      box.defaultButton() ? box.standardButton(box.defaultButton()) : QMessageBox::NoButton;
  // Lines show separated by line feeds; they were given separated by
  // carriage returns.
  std::string text_bytes = spec.text;
  if (LinesToQt(spec.text) != box.text()) {
    text_bytes = FromQt(box.text());
    std::replace(text_bytes.begin(), text_bytes.end(), '\n', '\r');
  }
  context.transcript.box(TypeOf(box), IconCode(box.icon()), ResultOf(shown_default),
                         FromQt(box.windowTitle(), spec.title), text_bytes, result);
  return result;
}

// ---------------------------------------------------------------- file dialog

namespace {

// "Description (*.a *.b)" as Qt's filter list wants it.
QString NameFilter(const FileFilter& filter) {
  QString patterns = ToQt(filter.pattern).trimmed();
  patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
  const QString description = ToQt(filter.description).trimmed();
  if (description.endsWith(QLatin1Char(')'))) {
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    QString listed = description.mid(open + 1, description.size() - open - 2);
    listed.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (open >= 0 && listed.simplified() == patterns.simplified()) return description;
  }
  return description + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

void AnswerFileDialog(QFileDialog& dialog, ModalContext& context, const std::optional<FileAnswer>& answer,
                      const QStringList& filters) {
  if (!dialog.isVisible()) {
    QTimer::singleShot(10, &dialog, [&dialog, &context, answer, filters] {
      AnswerFileDialog(dialog, context, answer, filters);
    });
    return;
  }
  SaveScreenshot(dialog, context, QStringLiteral("file-dialog"));
  if (!context.script) return;
  if (!answer || !answer->chosen) {
    dialog.reject();
    return;
  }
  if (answer->index) {
    const int index = *answer->index;
    if (index >= 1 && index <= filters.size()) dialog.selectNameFilter(filters[index - 1]);
    else context.transcript.note("file dialog has no filter " + std::to_string(index));
  }
  // A relative answer is typed relative to the current folder. What the
  // dialog selected for the name it started with (the file list loads in the
  // background) must not stand in for the typed name.
  const QString path = QFileInfo(ToQt(answer->path)).absoluteFilePath();
  for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>())
    if (view->selectionModel()) view->selectionModel()->clearSelection();
  if (auto* name_box = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
    name_box->setText(path);
  } else {
    dialog.selectFile(path);
  }
  // The dialog's own checks would ask questions nobody answers here; the
  // toolkit applies the flags itself.
  QDialog& base = dialog;  // accept() and done() are public there
  const QString folder = QFileInfo(QDir(dialog.directory()).absoluteFilePath(path)).absolutePath();
  if (os::KindOf(FromQt(folder)) == os::Kind::kDirectory) base.accept();
  if (dialog.isVisible()) base.done(QDialog::Accepted);
}

// The name the user chose. Qt's dialog reads a typed name that holds double
// quotes as a list of names ("a" "b"), so a"b.ov2 would come back as b.ov2,
// another file; unless several files may be chosen, the name box's own text
// is the name.
QString ChosenName(const QFileDialog& dialog, bool multiple) {
  const QStringList files = dialog.selectedFiles();
  const auto* name_box = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (!multiple && name_box != nullptr && name_box->text().contains(QLatin1Char('"'))) {
    return QDir(dialog.directory()).absoluteFilePath(name_box->text());
  }
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace

FileDialogAnswer RunFileDialog(const FileDialogSpec& spec, ModalContext& context) {
  const bool scripted = context.script != nullptr;
  QFileDialog dialog(OwnerOf(context), ToQt(spec.title), ToQt(spec.directory));
  dialog.setOption(QFileDialog::DontUseNativeDialog, scripted);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setAcceptMode(spec.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (spec.save || scripted) {
    dialog.setFileMode(QFileDialog::AnyFile);
  } else {
    dialog.setFileMode(spec.multiple ? QFileDialog::ExistingFiles
                                     : (spec.flags & 128) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  }
  // The toolkit asks before replacing a file, once; the dialog never does.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  QStringList filters;
  for (const FileFilter& filter : spec.filters) filters << NameFilter(filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = std::clamp(spec.filter_index, 1, int(filters.size()));
    dialog.selectNameFilter(filters[index - 1]);
  }
  if (!spec.name.empty()) dialog.selectFile(ToQt(spec.name));

  std::optional<FileAnswer> answer;
  if (scripted) answer = context.script->file_answer();
  QTimer::singleShot(0, &dialog, [&dialog, &context, answer, filters] {
    AnswerFileDialog(dialog, context, answer, filters);
  });
  FileDialogAnswer result;
  result.filter_index = spec.filter_index;
  const bool accepted = dialog.exec() == QDialog::Accepted;
  const QString chosen = accepted ? ChosenName(dialog, spec.multiple) : QString();
  if (!chosen.isEmpty()) {
    result.chosen = true;
    result.path = FromQt(chosen, answer ? answer->path : std::string());
    if (!filters.isEmpty()) result.filter_index = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (result.filter_index < 1) result.filter_index = spec.filter_index;
    if (spec.resolve) result.path = spec.resolve(result.path, result.filter_index);
  }
  context.transcript.file(spec.save, FromQt(dialog.windowTitle(), spec.title), spec.filter_text, spec.flags,
                          spec.initial, result.chosen ? std::optional<std::string>(result.path) : std::nullopt,
                          result.filter_index);
  return result;
}

}  // namespace zarv::platform::qt
