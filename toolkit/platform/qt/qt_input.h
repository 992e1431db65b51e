// Input as a person gives it: mouse and keyboard events handed to Qt the way
// the window system hands them over, into the window under the pointer or
// with the keyboard focus. Focus on click, mouse grabs, popups, default
// buttons and shortcuts then happen exactly as they do for a person.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>

class QWidget;

namespace zarv::platform::qt {

// A left click at `at` (in `widget`'s coordinates): the pointer moves there,
// the button goes down and comes up.
void Click(QWidget& widget, QPoint at);
// The button goes down at `at`, the pointer leaves the widget, and the
// button comes up outside it: the widget has the focus and was not clicked.
void PressAndLeave(QWidget& widget, QPoint at);
// A key goes down and comes up in `widget`'s window; it reaches whatever has
// the keyboard focus there (or the popup that is open).
void Key(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = {});
// Processes events until `done` holds or `ms` milliseconds have passed.
bool WaitUntil(const std::function<bool()>& done, int ms = 2000);
// How long a window is given to become the active one before a person acts
// in it: the window manager may be slow on a busy machine.
constexpr int kActivePatienceMs = 5000;

}  // namespace zarv::platform::qt
