// The main window's list of message lines, and the path shortening that
// keeps a file name on one of them.
#include "app/shared/list_view.h"

#include <algorithm>
#include <string>

#include "app/shared/file_names.h"
#include "toolkit/core/window.h"

namespace nodalux {

namespace {

// What the list keeps of a line: its first 128 bytes, less the start of a
// character that would be cut in two.
std::string_view Kept(std::string_view text) {
  return zarv::CharacterPrefix(text, zarv::Text<128>::size());
}

void DrawLine(std::int32_t row, std::string_view text) {
  WindowTextAt(LIST_X, LIST_STEP * row, zarv::Trimmed(text));
}

// Length of the part of `path` that shortening keeps in front: "C:\" for a
// drive path, "\\server\share\" for a network path, "/" for an absolute
// path, nothing for a relative one.
std::size_t RootLength(std::string_view path, char sep) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == sep) return 3;
  if (path.size() >= 2 && path[0] == sep && path[1] == sep) {
    std::size_t end = 2;
    for (int part = 0; part < 2; ++part) {
      const std::size_t next = path.find(sep, end);
      if (next == std::string_view::npos) return path.size();
      end = next + 1;
    }
    return end;
  }
  if (!path.empty() && path[0] == sep) return 1;
  return 0;
}

}  // namespace

void SCROLL(std::string_view TEXT) {
  LIST_COUNT = std::max(LIST_COUNT, 0) + 1;
  if (LIST_COUNT <= LIST_CAPACITY) {
    LIST_LINES[LIST_COUNT].assign(Kept(TEXT));
    // A new line is drawn whole; the list keeps only its first 128
    // characters for later repaints.
    DrawLine(LIST_COUNT, TEXT);
    return;
  }
  for (std::int32_t i = 1; i < LIST_CAPACITY; ++i) LIST_LINES[i] = LIST_LINES[i + 1];
  LIST_LINES[LIST_CAPACITY].assign(Kept(TEXT));
  LIST_COUNT = LIST_CAPACITY;
  REFRESH();
}

void REFRESH() {
  WindowClearArea();
  const std::int32_t count = std::clamp(LIST_COUNT, 0, LIST_CAPACITY);
  for (std::int32_t i = 1; i <= count; ++i) DrawLine(i, LIST_LINES[i].view());
}

// Drops leading folders after the root until the path fits in MAXLEN - 3
// characters, then marks the gap: "C:\...\pois\x.csv", "/.../pois/x.csv".
// When only the file name is left and it still does not fit, the file name
// alone is shown.
zarv::Text<256> FIT(std::string_view PATH, std::int32_t MAXLEN) {
  const std::string_view path = zarv::Trimmed(PATH);
  if (static_cast<std::int64_t>(path.size()) <= MAXLEN) return zarv::Text<256>(path);

  const char sep = FolderSeparator();
  const std::size_t root_length = RootLength(path, sep);
  const std::string_view root = path.substr(0, root_length);
  std::string_view rest = path.substr(root_length);
  const std::int64_t limit = static_cast<std::int64_t>(MAXLEN) - 3;
  while (static_cast<std::int64_t>(root.size() + rest.size()) > limit) {
    const std::size_t next = rest.find(sep);
    if (next == std::string_view::npos) {
      // Nothing left to drop: show the file name, or the whole path when the
      // root alone is too long (a long server name).
      return zarv::Text<256>(rest.empty() ? path : rest);
    }
    rest.remove_prefix(next + 1);
  }
  std::string shown(root);
  shown.append("...").push_back(sep);
  shown.append(rest);
  return zarv::Text<256>(shown);
}

}  // namespace nodalux
