// Starting a program on POSIX: posix_spawn (no copy of our page tables),
// a pidfd to wait on, and a pipe that collects its standard error.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/os/os.h"

namespace zarv::os {

// Os::probe_in_child on POSIX: fork, the body, _exit with its result.
int ProbeInChild(const std::function<int()>& body, int timeout_seconds, int* exit_status);

int StartPosixProcess(const std::vector<std::string>& argv, const StartOptions& options,
                      std::unique_ptr<Process>* process);

}  // namespace zarv::os
