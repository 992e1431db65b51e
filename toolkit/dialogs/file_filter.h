// The filter text of the file dialog: descriptions and patterns, each
// followed by a separator, which is whatever the text's last non-blank
// character is. "CSV files (*.csv)|*.csv|" gives one filter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/platform/platform.h"

namespace zarv {

inline constexpr std::size_t kFilterTextMax = 1000;

struct ParsedFilter {
  std::string text;  // what was used: trailing blanks removed, cut to 1000
  std::vector<platform::FileFilter> filters;  // empty: all files, no list
};

ParsedFilter ParseFileFilter(std::string_view filter);

// The extension a filter gives a name typed without one: ".csv" for
// "*.csv" or "*.csv;*.txt"; empty for "*.*", "*" and anything with a
// wildcard in the extension.
std::string DefaultExtension(std::string_view pattern);

}  // namespace zarv
