// Where a written file goes: a file replaced atomically (the old file stays
// as it was until the new one is complete, and after any error), or
// standard output. Text is gathered in a buffer and written a chunk at a
// time, so a file of any size needs the same memory.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/os/files.h"
#include "tools/batch/messages.h"

namespace nodalux::batch {

class OutputFile {
 public:
  static constexpr std::size_t kChunk = 64 * 1024;

  // `path` "-" is the descriptor `standard_output`. False, after a message,
  // when the file cannot be begun.
  bool open(const std::string& path, int standard_output, Messages& messages);
  // The same for a file, without a message: the error, or 0.
  int begin(const std::string& path, Messages& messages);

  // Append to text(), then call spill() now and then.
  std::string& text() { return text_; }
  // Writes the text out once a chunk has gathered. False after a message.
  bool spill() { return text_.size() < kChunk || write_out(); }
  // Writes the rest; the file takes its place only at commit(). False
  // after a message.
  bool finish() { return write_out(); }
  // For a file another program writes: the temporary file it is to write,
  // by name (see zarv::os::AtomicFile::hand_over).
  const std::string& hand_over(bool writer_flushes) {
    handed_over_ = true;
    return file_.hand_over(writer_flushes);
  }
  // Puts the finished file in place of the old one. False after a message.
  bool commit();

  const std::string& path() const { return path_; }

 private:
  void reset(const std::string& path, Messages& messages);
  bool write_out();
  bool failed(std::string_view what, int error);

  std::string path_;
  Messages* messages_ = nullptr;
  bool standard_output_ = false;
  int fd_ = -1;
  bool broken_ = false;
  bool handed_over_ = false;
  zarv::os::AtomicFile file_;
  std::string text_;
};

}  // namespace nodalux::batch
