#include "toolkit/core/menu_resources.h"

#include <cstdint>

namespace zarv {
namespace {

std::vector<int> Words(std::string_view bytes) {
  std::vector<int> words;
  words.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    words.push_back(static_cast<std::uint8_t>(bytes[i]) |
                    (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
  }
  return words;
}

platform::MenuEntry Convert(const MenuNode& node) {
  platform::MenuEntry e;
  e.text = node.text;
  e.id = node.id;
  e.popup = node.popup;
  e.separator = node.separator;
  e.grayed = node.grayed;
  e.checked = node.checked;
  e.items.reserve(node.items.size());
  for (const MenuNode& child : node.items) e.items.push_back(Convert(child));
  return e;
}

}  // namespace

std::vector<platform::MenuEntry> BuildMenu(const MenuNode& bar, std::string_view id_table) {
  std::vector<platform::MenuEntry> menu;
  for (const MenuNode& item : bar.items) menu.push_back(Convert(item));

  const std::vector<int> words = Words(id_table);
  std::size_t i = 0;
  while (i < words.size() && words[i] != 0) {
    const int id = words[i++];
    std::vector<platform::MenuEntry>* level = &menu;
    platform::MenuEntry* target = nullptr;
    bool reachable = true;
    while (i < words.size() && words[i] != 0) {
      const int position = words[i++];
      if (!reachable) continue;
      if (target) level = &target->items;  // the previous position was a submenu
      if (position < 1 || static_cast<std::size_t>(position) > level->size()) {
        reachable = false;
        continue;
      }
      target = &(*level)[static_cast<std::size_t>(position - 1)];
    }
    ++i;  // the 0 word that ends the path
    if (reachable && target) target->id = id;
  }
  return menu;
}

const platform::MenuEntry* FindMenuEntry(const std::vector<platform::MenuEntry>& menu, int id) {
  for (const platform::MenuEntry& e : menu) {
    if (!e.separator && e.id == id) return &e;
    if (const platform::MenuEntry* inner = FindMenuEntry(e.items, id)) return inner;
  }
  return nullptr;
}

std::optional<ToolbarDescription> ParseToolbarDescription(std::string_view bytes) {
  const std::vector<int> words = Words(bytes);
  if (words.size() < 2 || words[0] == 0 || words[1] == 0) return std::nullopt;
  ToolbarDescription d;
  d.image = {words[0], words[1]};
  for (std::size_t i = 2; i < words.size(); ++i) {
    if (words[i] == 0 && i + 1 < words.size() && words[i + 1] == 0) break;
    d.entries.push_back(words[i]);
  }
  // A description cut short has no terminator; a separator it ends on
  // separates nothing.
  while (!d.entries.empty() && d.entries.back() == 0) d.entries.pop_back();
  return d;
}

}  // namespace zarv
