#include "toolkit/platform/qt/qt_visible.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <cstdio>
#include <cstdlib>

#include "toolkit/platform/qt/qt_text.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform::qt {
namespace {

// Qt's line edits keep this many pixels free at each side of the text.
constexpr int kLineEditMargin = 2;

const char* ReportFile() {
  const char* path = std::getenv("ZARVVISIBLE");
  return path && *path ? path : nullptr;
}

void Report(std::string_view what, const QString& text, QSize need, QSize have) {
  std::FILE* f = std::fopen(ReportFile(), "a");
  if (!f) return;
  const std::string line = std::string(what) + ' ' + Quote(FromQt(text)) + ": needs " +
                           std::to_string(need.width()) + 'x' + std::to_string(need.height()) +
                           " pixels, shows " + std::to_string(have.width()) + 'x' +
                           std::to_string(have.height()) + '\n';
  std::fputs(line.c_str(), f);
  std::fclose(f);
}

void CheckLine(const QString& text, const QFontMetrics& metrics, int room, std::string_view what) {
  const int need = metrics.horizontalAdvance(text);
  if (need > room) Report(what, text, QSize(need, metrics.height()), QSize(room, metrics.height()));
}

void CheckLabel(const QLabel& label, std::string_view what) {
  const QString text = label.text();
  if (text.isEmpty()) return;
  QRect room = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
  int indent = label.indent();
  if (indent < 0 && label.frameWidth() > 0) indent = label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
  const Qt::Alignment align = QStyle::visualAlignment(label.layoutDirection(), label.alignment());
  if (indent > 0) {
    if (align & Qt::AlignLeft) room.setLeft(room.left() + indent);
    else if (align & Qt::AlignRight) room.setRight(room.right() - indent);
  }
  const int flags = int(align) | (label.wordWrap() ? int(Qt::TextWordWrap) : 0);
  const QRect need = label.fontMetrics().boundingRect(room, flags, text);
  if (need.width() > room.width() || need.height() > room.height()) Report(what, text, need.size(), room.size());
}

void CheckLineEdit(const QLineEdit& edit, std::string_view what) {
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.lineWidth = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
  const QRect contents = edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit)
                             .marginsRemoved(edit.textMargins());
  CheckLine(edit.text(), edit.fontMetrics(), contents.width() - 2 * kLineEditMargin, what);
}

void CheckCombo(const QComboBox& combo, std::string_view what) {
  if (combo.isEditable() && combo.lineEdit()) {
    CheckLineEdit(*combo.lineEdit(), what);
    return;
  }
  QStyleOptionComboBox option;
  option.initFrom(&combo);
  const QRect field =
      combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
  CheckLine(combo.currentText(), combo.fontMetrics(), field.width() - 2 * kLineEditMargin, what);
}

}  // namespace

bool VisibleCheckOn() { return ReportFile() != nullptr; }

void CheckWidgetText(const QWidget& widget, std::string_view what) {
  if (!VisibleCheckOn() || !widget.isVisibleTo(widget.window())) return;
  if (auto* label = qobject_cast<const QLabel*>(&widget)) CheckLabel(*label, what);
  else if (auto* edit = qobject_cast<const QLineEdit*>(&widget)) CheckLineEdit(*edit, what);
  else if (auto* combo = qobject_cast<const QComboBox*>(&widget)) CheckCombo(*combo, what);
}

void CheckDrawnText(const QString& text, int left, int width, int client_width, std::string_view what) {
  if (!VisibleCheckOn()) return;
  // Blanks at the end of a line are background, not text.
  const int room = client_width - left;
  if (left < 0 || width > room) Report(what, text, QSize(width, 0), QSize(std::max(room, 0), 0));
}

}  // namespace zarv::platform::qt
