#include "tools/batch/messages.h"

#include <cstring>
#include <ostream>

#include "tools/batch/batch_options.h"

namespace nodalux::batch {

std::string OneLine(std::string_view text, std::string_view also) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || also.find(c) != std::string_view::npos) {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string Reason(int error) {
  char buffer[256];
  // The GNU strerror_r returns a pointer that need not be `buffer`.
  const char* text = strerror_r(error, buffer, sizeof buffer);
  return text != nullptr ? std::string(text) : "error " + std::to_string(error);
}

std::string AtLine(std::string_view file, std::uint64_t line) {
  return OneLine(file) + ":" + std::to_string(line);
}

std::string AtByte(std::string_view file, std::uint64_t offset) {
  return OneLine(file) + ": byte " + std::to_string(offset);
}

void Messages::error(std::string_view where, std::string_view what) {
  ++errors_;
  line({}, where, what);
}

void Messages::warning(std::string_view where, std::string_view what) { line("warning: ", where, what); }

void Messages::note(std::string_view what) {
  if (verbose_) line({}, {}, what);
}

void Messages::line(std::string_view kind, std::string_view where, std::string_view what) {
  std::string text(kProgramName);
  text.append(": ").append(kind);
  if (!where.empty()) text.append(OneLine(where)).append(": ");
  text.append(OneLine(what)).push_back('\n');
  out_ << text << std::flush;
}

}  // namespace nodalux::batch
