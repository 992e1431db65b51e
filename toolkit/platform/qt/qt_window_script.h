// Script events acted out on the root window the way a person does it.
#pragma once

namespace zarv::platform::qt {

class MainWindow;

enum class PickResult {
  kPicked,      // the item or button was clicked
  kNoSuchItem,  // no enabled menu item or toolbar button has the identifier
  kNotOpened,   // the menu did not open
};

// Picks menu item or toolbar button `id`: a click on the menu bar opens the
// menu, a click on the item picks it; a toolbar button is clicked. Menu
// items come first, as a person looks there first.
PickResult PickCommand(MainWindow& window, int id);

}  // namespace zarv::platform::qt
