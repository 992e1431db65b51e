#include "toolkit/dialogs/file_filter.h"

#include "toolkit/core/text.h"

namespace zarv {

ParsedFilter ParseFileFilter(std::string_view filter) {
  ParsedFilter out;
  const std::string_view whole = Trimmed(filter);
  if (whole.empty()) return out;
  const char separator = whole.back();
  const std::string_view used = Trimmed(whole.substr(0, kFilterTextMax));
  out.text = std::string(used);

  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start < used.size()) {
    const std::size_t end = used.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(used.substr(start));  // cut short: no separator after it
      break;
    }
    parts.push_back(used.substr(start, end - start));
    start = end + 1;
  }
  // As in the platform's list, an empty entry ends it, and a description
  // without its pattern is no filter.
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() || parts[i + 1].empty()) break;
    out.filters.push_back({std::string(parts[i]), std::string(parts[i + 1])});
  }
  return out;
}

std::string DefaultExtension(std::string_view pattern) {
  std::string_view first = pattern.substr(0, pattern.find(';'));
  first = LeftTrimmed(Trimmed(first));
  const std::size_t dot = first.rfind('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view ext = first.substr(dot);
  if (ext.size() < 2 || ext.find_first_of("*?") != std::string_view::npos) return {};
  return std::string(ext);
}

}  // namespace zarv
