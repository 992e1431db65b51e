#include "toolkit/platform/qt/qt_input.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

// Qt's own entry points for input that comes from the window system, the
// ones its test library drives widgets through (exported by QtGui).
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button,
                                      QEvent::Type type, Qt::KeyboardModifiers mods, int timestamp);
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type type, int key,
                                    Qt::KeyboardModifiers mods, const QString& text,
                                    bool autorep, ushort count);

namespace zarv::platform::qt {
namespace {

// Event times. Far enough apart that two clicks are never a double click.
int NextTime() {
  static int clock = 0;
  clock += 1000;
  return clock;
}

struct Target {
  QWindow* window = nullptr;
  QPointF local;
  QPointF global;
};

Target TargetOf(QWidget& widget, QPoint at) {
  QWidget* top = widget.window();
  if (!top->windowHandle()) top->winId();  // a native window to receive it
  return {top->windowHandle(), QPointF(widget.mapTo(top, at)), QPointF(widget.mapToGlobal(at))};
}

void Mouse(const Target& t, QEvent::Type type, Qt::MouseButtons state, Qt::MouseButton button,
           QPointF local, QPointF global) {
  if (!t.window) return;
  qt_handleMouseEvent(t.window, local, global, state, button, type, Qt::NoModifier, NextTime());
}

}  // namespace

void Click(QWidget& widget, QPoint at) {
  const Target t = TargetOf(widget, at);
  Mouse(t, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, t.local, t.global);
  Mouse(t, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, t.local, t.global);
  // What the press opened or changed is on screen before the button comes up.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  const Target now = TargetOf(widget, at);  // the press may have moved things
  Mouse(now, QEvent::MouseButtonRelease, Qt::NoButton, Qt::LeftButton, now.local, now.global);
}

void PressAndLeave(QWidget& widget, QPoint at) {
  const Target t = TargetOf(widget, at);
  Mouse(t, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, t.local, t.global);
  Mouse(t, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, t.local, t.global);
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  // Just outside the widget's top-left corner.
  const QPoint outside = widget.mapTo(widget.window(), QPoint(-4, -4));
  const QPointF local(outside);
  const QPointF global(widget.window()->mapToGlobal(outside));
  Mouse(t, QEvent::MouseMove, Qt::LeftButton, Qt::NoButton, local, global);
  Mouse(t, QEvent::MouseButtonRelease, Qt::NoButton, Qt::LeftButton, local, global);
}

void Key(QWidget& widget, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  QWidget* top = widget.window();
  if (!top->windowHandle()) top->winId();
  QWindow* window = top->windowHandle();
  qt_handleKeyEvent(window, QEvent::KeyPress, key, modifiers, text, false, 1);
  qt_handleKeyEvent(window, QEvent::KeyRelease, key, modifiers, text, false, 1);
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    QApplication::processEvents(QEventLoop::AllEvents);
    if (done()) return true;
    if (clock.elapsed() > ms) return false;
    QThread::msleep(1);  // the window system's events arrive meanwhile
  }
}

}  // namespace zarv::platform::qt
