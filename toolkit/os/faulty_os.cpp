#include "toolkit/os/faulty_os.h"

namespace zarv::os {

void FaultyOs::fail(Call kind, int nth, int error, bool persist) {
  kind_ = kind;
  nth_ = calls(kind) + nth;
  error_ = error;
  persist_ = persist;
  fired_ = false;
}

void FaultyOs::reset() {
  counts_.fill(0);
  kind_ = Call::kCount;
  fired_ = false;
}

int FaultyOs::injected(Call kind) {
  const int n = ++counts_[static_cast<std::size_t>(kind)];
  if (kind != kind_ || n < nth_ || (n > nth_ && !persist_)) return 0;
  fired_ = true;
  return error_;
}

int FaultyOs::open(const std::string& path, int flags, unsigned mode, int* fd) {
  *fd = -1;
  if (const int e = injected(Call::kOpen)) return e;
  return base_.open(path, flags, mode, fd);
}

int FaultyOs::read(int fd, void* buffer, std::size_t size, std::size_t* got) {
  *got = 0;
  if (const int e = injected(Call::kRead)) return e;
  return base_.read(fd, buffer, size, got);
}

int FaultyOs::write(int fd, const void* bytes, std::size_t size, std::size_t* written) {
  *written = 0;
  if (const int e = injected(Call::kWrite)) return e;
  return base_.write(fd, bytes, size, written);
}

int FaultyOs::sync(int fd) {
  if (const int e = injected(Call::kSync)) return e;
  return base_.sync(fd);
}

// A failed close still releases the descriptor, as on Linux.
int FaultyOs::close(int fd) {
  const int e = injected(Call::kClose);
  const int real = base_.close(fd);
  return e ? e : real;
}

int FaultyOs::stat(const std::string& path, bool follow_links, FileInfo* info) {
  if (const int e = injected(Call::kStat)) {
    *info = {};
    return e;
  }
  return base_.stat(path, follow_links, info);
}

int FaultyOs::fstat(int fd, FileInfo* info) {
  if (const int e = injected(Call::kStat)) {
    *info = {};
    return e;
  }
  return base_.fstat(fd, info);
}

int FaultyOs::chmod(int fd, unsigned mode) {
  if (const int e = injected(Call::kChmod)) return e;
  return base_.chmod(fd, mode);
}

int FaultyOs::make_temp(std::string* pattern, int* fd) {
  *fd = -1;
  if (const int e = injected(Call::kMakeTemp)) return e;
  return base_.make_temp(pattern, fd);
}

int FaultyOs::rename(const std::string& from, const std::string& to) {
  if (const int e = injected(Call::kRename)) return e;
  return base_.rename(from, to);
}

int FaultyOs::unlink(const std::string& path) {
  if (const int e = injected(Call::kUnlink)) return e;
  return base_.unlink(path);
}

int FaultyOs::list_folder(const std::string& path, std::vector<std::string>* names) {
  if (const int e = injected(Call::kListFolder)) return e;
  return base_.list_folder(path, names);
}

int FaultyOs::read_link(const std::string& path, std::string* target) {
  if (const int e = injected(Call::kReadLink)) return e;
  return base_.read_link(path, target);
}

int FaultyOs::current_folder(std::string* folder) {
  if (const int e = injected(Call::kCurrentFolder)) return e;
  return base_.current_folder(folder);
}

int FaultyOs::change_folder(const std::string& path) {
  if (const int e = injected(Call::kChangeFolder)) return e;
  return base_.change_folder(path);
}

int FaultyOs::make_folder(const std::string& path, unsigned mode) {
  if (const int e = injected(Call::kMakeFolder)) return e;
  return base_.make_folder(path, mode);
}

int FaultyOs::probe_in_child(const std::function<int()>& body, int timeout_seconds,
                             int* exit_status) {
  if (const int e = injected(Call::kStart)) return e;
  return base_.probe_in_child(body, timeout_seconds, exit_status);
}

int FaultyOs::access(const std::string& path, int how) {
  if (const int e = injected(Call::kAccess)) return e;
  return base_.access(path, how);
}

int FaultyOs::start(const std::vector<std::string>& argv, const StartOptions& options,
                    std::unique_ptr<Process>* process) {
  if (const int e = injected(Call::kStart)) return e;
  return base_.start(argv, options, process);
}

}  // namespace zarv::os
