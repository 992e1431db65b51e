#include "tools/batch/output_file.h"

namespace nodalux::batch {

namespace os = zarv::os;

bool OutputFile::failed(std::string_view what, int error) {
  broken_ = true;
  messages_->error(standard_output_ ? "standard output" : path_, std::string(what) + Reason(error));
  return false;
}

bool OutputFile::open(const std::string& path, int standard_output, Messages& messages) {
  if (path != "-") {
    if (const int error = begin(path, messages)) return failed("Cannot create file: ", error);
    return true;
  }
  reset(path, messages);
  standard_output_ = true;
  fd_ = standard_output;
  return true;
}

int OutputFile::begin(const std::string& path, Messages& messages) {
  reset(path, messages);
  return file_.create(path);
}

void OutputFile::reset(const std::string& path, Messages& messages) {
  path_ = path;
  messages_ = &messages;
  standard_output_ = false;
  fd_ = -1;
  broken_ = false;
  handed_over_ = false;
  text_.clear();
  text_.reserve(kChunk + 4096);
}

bool OutputFile::write_out() {
  if (broken_) return false;
  const int error = standard_output_ ? os::WriteAll(os::Door(), fd_, text_) : file_.write(text_);
  text_.clear();
  return error == 0 || failed("Cannot write file: ", error);
}

bool OutputFile::commit() {
  if (!handed_over_ && !write_out()) return false;
  if (standard_output_) return true;
  if (const int error = file_.commit()) return failed("Cannot write file: ", error);
  return true;
}

}  // namespace nodalux::batch
