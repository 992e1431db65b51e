// An Os for tests: passes every call on to another one (the POSIX one by
// default), counts the calls of each kind, and fails the Nth call of a kind
// with a chosen error, once or from then on (a disk that stays full).
//
//   FaultyOs faulty;
//   faulty.fail(Call::kWrite, 3, ENOSPC);   // the third write fails
//   { DoorScope scope(faulty); ... }        // in force inside the scope
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/os/os.h"

namespace zarv::os {

class FaultyOs final : public Os {
 public:
  explicit FaultyOs(Os& base = Posix()) : base_(base) {}

  // The `nth` call of `kind` from now on (1 = the next one) fails with
  // `error`; with `persist`, every later call of that kind fails too.
  void fail(Call kind, int nth, int error, bool persist = false);
  // Counts from zero again and forgets the armed failure.
  void reset();
  // Calls of `kind` since the last reset.
  int calls(Call kind) const { return counts_[static_cast<std::size_t>(kind)]; }
  // Whether the armed failure has happened.
  bool fired() const { return fired_; }

  int open(const std::string& path, int flags, unsigned mode, int* fd) override;
  int read(int fd, void* buffer, std::size_t size, std::size_t* got) override;
  int write(int fd, const void* bytes, std::size_t size, std::size_t* written) override;
  int sync(int fd) override;
  int close(int fd) override;
  int stat(const std::string& path, bool follow_links, FileInfo* info) override;
  int fstat(int fd, FileInfo* info) override;
  int chmod(int fd, unsigned mode) override;
  int make_temp(std::string* pattern, int* fd) override;
  int rename(const std::string& from, const std::string& to) override;
  int unlink(const std::string& path) override;
  int list_folder(const std::string& path, std::vector<std::string>* names) override;
  int read_link(const std::string& path, std::string* target) override;
  int current_folder(std::string* folder) override;
  int change_folder(const std::string& path) override;
  int make_folder(const std::string& path, unsigned mode) override;
  int access(const std::string& path, int how) override;
  int start(const std::vector<std::string>& argv, const StartOptions& options,
            std::unique_ptr<Process>* process) override;
  int probe_in_child(const std::function<int()>& body, int timeout_seconds,
                     int* exit_status) override;
  std::int64_t now_ms() override { return base_.now_ms(); }
  unsigned umask() override { return base_.umask(); }

 private:
  // Counts the call; its injected error, or 0 to let it through.
  int injected(Call kind);

  Os& base_;
  std::array<int, static_cast<std::size_t>(Call::kCount)> counts_{};
  Call kind_ = Call::kCount;  // none armed
  int nth_ = 0;
  int error_ = 0;
  bool persist_ = false;
  bool fired_ = false;
};

// Puts an Os in force for the life of the scope.
class DoorScope {
 public:
  explicit DoorScope(Os& os) { SetDoor(&os); }
  DoorScope(const DoorScope&) = delete;
  DoorScope& operator=(const DoorScope&) = delete;
  ~DoorScope() { SetDoor(nullptr); }
};

}  // namespace zarv::os
