// A started program, owned: it is always reaped, so no zombie is left
// behind, whether the caller waited for it or not.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zarv {

class ChildProcess {
 public:
  enum class Output { kToStderr, kDiscarded };

  // Starts argv[0] (a path) with the arguments that follow, never through a
  // shell. Standard input is /dev/null; standard output goes to our
  // standard error (so it never mixes into a transcript on standard output)
  // or is discarded. No other descriptor is inherited. On failure the
  // result is not valid() and `*error` holds the error number.
  static ChildProcess Start(const std::vector<std::string>& argv, Output output, int* error);

  ChildProcess() = default;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Still running: a detached waiter reaps it when it ends.
  ~ChildProcess();

  bool valid() const { return pid_ > 0; }
  bool ended() const { return reaped_; }
  // Waits up to `ms` milliseconds (0: just looks); true once it has ended.
  bool wait_for(long long ms);

 private:
  ChildProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
  void release();

  pid_t pid_ = -1;
  int pidfd_ = -1;
  bool reaped_ = false;
};

}  // namespace zarv
