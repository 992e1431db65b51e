// What nodalux-batch tells its user: one line per message on standard
// error, naming the file and the place in it, with the words the desktop
// program's message boxes use.
//
//   nodalux-batch: pubs.csv:12: Error reading POI record: ...
//   nodalux-batch: pubs.ov2: byte 4711: Unsupported record type: 7
//   nodalux-batch: near.ov2: Cannot create file: Permission denied
//   nodalux-batch: warning: old.ov2: byte 90: the file ends inside a record, ...
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace nodalux::batch {

// `text` with every control character (and each of `also`) shown as \xHH,
// so that a file name or a record quoted in a message cannot break it into
// two lines.
std::string OneLine(std::string_view text, std::string_view also = {});

// The operating system's words for an errno value.
std::string Reason(int error);

// "FILE:LINE", "FILE: byte N", or the file alone.
std::string AtLine(std::string_view file, std::uint64_t line);
std::string AtByte(std::string_view file, std::uint64_t offset);

class Messages {
 public:
  explicit Messages(std::ostream& out, bool verbose = false) : out_(out), verbose_(verbose) {}

  // "nodalux-batch: WHERE: WHAT" (or without WHERE when it is empty).
  void error(std::string_view where, std::string_view what);
  void warning(std::string_view where, std::string_view what);
  // What the desktop program's window would list; only when verbose.
  void note(std::string_view what);

  int errors() const { return errors_; }

 private:
  void line(std::string_view kind, std::string_view where, std::string_view what);

  std::ostream& out_;
  bool verbose_;
  int errors_ = 0;
};

}  // namespace nodalux::batch
