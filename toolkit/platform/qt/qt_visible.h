// Whether a widget shows its whole text: the text laid out in the widget's
// font fits the widget's contents rectangle. A scripted run names every text
// that does not fit in the file ZARVVISIBLE, one line each, so that a test
// can require the file to stay empty; a transcript only says what the
// program asked to be shown.
#pragma once

#include <string>
#include <string_view>

class QWidget;
class QString;

namespace zarv::platform::qt {

// True when the check is on (ZARVVISIBLE names a file).
bool VisibleCheckOn();
// A status bar part, a static, an edit field or a combo box.
void CheckWidgetText(const QWidget& widget, std::string_view what);
// Text drawn from `left` with `width` pixels in a client `client_width` wide.
void CheckDrawnText(const QString& text, int left, int width, int client_width, std::string_view what);

}  // namespace zarv::platform::qt
