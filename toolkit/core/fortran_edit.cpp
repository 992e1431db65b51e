#include "toolkit/core/fortran_edit.h"

#include <cctype>
#include <string>

namespace zarv::fortran {
namespace {

// Reads an unsigned number at `i`; empty when there is no digit or it is
// larger than kMaxFieldWidth.
std::optional<int> ReadCount(const std::string& s, std::size_t& i) {
  if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
  int n = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    n = n * 10 + (s[i] - '0');
    if (n > kMaxFieldWidth) return std::nullopt;
    ++i;
  }
  return n;
}

}  // namespace

std::optional<EditDescriptor> ParseEditDescriptor(std::string_view format) {
  std::string s;
  for (char c : format) {
    if (c == ' ') continue;
    s.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  if (s.size() < 3 || s.front() != '(' || s.back() != ')') return std::nullopt;
  s = s.substr(1, s.size() - 2);

  EditDescriptor ed;
  std::size_t i = 0;
  switch (s[i++]) {
    case 'I': ed.kind = EditKind::kI; break;
    case 'F': ed.kind = EditKind::kF; break;
    case 'D': ed.kind = EditKind::kD; break;
    case 'G': ed.kind = EditKind::kG; break;
    case 'E':
      ed.kind = EditKind::kE;
      if (i < s.size() && s[i] == 'S') { ed.kind = EditKind::kES; ++i; }
      else if (i < s.size() && s[i] == 'N') { ed.kind = EditKind::kEN; ++i; }
      break;
    default: return std::nullopt;
  }

  auto w = ReadCount(s, i);
  if (!w) return std::nullopt;
  ed.width = *w;
  if (i < s.size() && s[i] == '.') {
    ++i;
    auto d = ReadCount(s, i);
    if (!d) return std::nullopt;
    ed.digits = *d;
  }
  const bool exponent_form = ed.kind != EditKind::kI && ed.kind != EditKind::kF &&
                             ed.kind != EditKind::kD;
  if (exponent_form && i < s.size() && s[i] == 'E') {
    ++i;
    auto e = ReadCount(s, i);
    if (!e || *e == 0) return std::nullopt;
    ed.exponent = *e;
  }
  if (i != s.size()) return std::nullopt;

  // Only I and F may ask for the smallest width; every real descriptor needs
  // its d; the plain E and D forms need at least one digit after the point.
  if (ed.width == 0 && ed.kind != EditKind::kI && ed.kind != EditKind::kF) return std::nullopt;
  if (ed.kind != EditKind::kI && ed.digits < 0) return std::nullopt;
  if ((ed.kind == EditKind::kE || ed.kind == EditKind::kD || ed.kind == EditKind::kG) &&
      ed.digits == 0)
    return std::nullopt;
  return ed;
}

}  // namespace zarv::fortran
