// Starting a program on POSIX: posix_spawn (no copy of our page tables),
// a pidfd to wait on, and a pipe that collects its standard error.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/os/os.h"

namespace zarv::os {

int StartPosixProcess(const std::vector<std::string>& argv, const StartOptions& options,
                      std::unique_ptr<Process>* process);

}  // namespace zarv::os
