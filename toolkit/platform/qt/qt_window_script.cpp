#include "toolkit/platform/qt/qt_window_script.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <vector>

#include "toolkit/platform/qt/qt_input.h"
#include "toolkit/platform/qt/qt_main_window.h"

namespace zarv::platform::qt {
namespace {

// The enabled actions leading to item `id` under `menu`, the item last.
bool PathTo(QMenu& menu, int id, std::vector<QAction*>& path) {
  for (QAction* action : menu.actions()) {
    if (action->isSeparator() || !action->isEnabled() || !action->isVisible()) continue;
    path.push_back(action);
    if (QMenu* sub = action->menu()) {
      if (PathTo(*sub, id, path)) return true;
    } else if (action->data().toInt() == id) {
      return true;
    }
    path.pop_back();
  }
  return false;
}

bool OpenedBy(QAction& action) {
  QMenu* menu = action.menu();
  return menu && WaitUntil([menu] { return menu->isVisible(); }, 3000);
}

void CloseMenus() {
  while (QWidget* popup = QApplication::activePopupWidget()) {
    Key(*popup, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    if (QApplication::activePopupWidget() == popup) popup->close();
  }
}

// A window out of sight (hidden or minimised) is left where it is: asking
// for it to be active would bring it back.
bool Activate(QWidget& window) {
  if (window.isActiveWindow() || !window.isVisible() || window.isMinimized()) return true;
  window.activateWindow();
  return WaitUntil([&window] { return window.isActiveWindow(); }, kActivePatienceMs);
}

}  // namespace

PickResult PickCommand(MainWindow& window, int id) {
  QMenuBar* bar = window.menuBar();
  for (QAction* top : bar->actions()) {
    QMenu* menu = top->menu();
    std::vector<QAction*> path;
    if (!menu || !top->isEnabled() || !PathTo(*menu, id, path)) continue;
    // The click goes to the active window, as a person's does. A menu that
    // opens while the window manager still moves the focus (a dialog has
    // just gone) closes again at once; a person then clicks once more.
    bool opened = false;
    for (int attempt = 0; attempt < 2 && !opened; ++attempt) {
      Activate(window);
      Click(*bar, bar->actionGeometry(top).center());
      opened = OpenedBy(*top);
      if (!opened) CloseMenus();
    }
    if (!opened) return PickResult::kNotOpened;
    for (QAction* step : path) {
      Click(*menu, menu->actionGeometry(step).center());
      if (step == path.back()) break;
      if (!OpenedBy(*step)) {
        CloseMenus();
        return PickResult::kNotOpened;
      }
      menu = step->menu();
    }
    return PickResult::kPicked;
  }
  for (QToolBar* toolbar : window.findChildren<QToolBar*>()) {
    for (QAction* action : toolbar->actions()) {
      if (action->isSeparator() || !action->isEnabled() || action->data().toInt() != id) continue;
      QWidget* button = toolbar->widgetForAction(action);
      if (!button || !button->isVisible()) continue;
      Click(*button, button->rect().center());
      return PickResult::kPicked;
    }
  }
  return PickResult::kNoSuchItem;
}

}  // namespace zarv::platform::qt
