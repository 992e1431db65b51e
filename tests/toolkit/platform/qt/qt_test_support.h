// Helpers shared by the Qt backend tests: waiting QTRY-style, finding
// widgets by object name, recording the raw input the backend reports.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "toolkit/platform/platform.h"

namespace zarv::platform::qt_test {

// Processes events until `done` holds or five seconds have passed.
inline bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 5000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

template <typename T>
T* FindWidget(const char* name) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == QLatin1String(name)) {
      if (auto* hit = qobject_cast<T*>(top)) return hit;
    }
    if (auto* hit = top->findChild<T*>(QLatin1String(name))) return hit;
  }
  return nullptr;
}

struct RecordingSink : InputSink {
  std::vector<Input> inputs;
  void input(const Input& in) override { inputs.push_back(in); }
};

}  // namespace zarv::platform::qt_test
