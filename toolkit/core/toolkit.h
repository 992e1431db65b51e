// The toolkit's platform, and the one way out of the process.
#pragma once

#include <memory>
#include <string_view>

namespace zarv::platform {
class Platform;
}

namespace zarv {
// The backend, created on first use (a message box may come before the
// toolkit's start-up). When none can start, says why in one line on
// standard error and ends the process with status 1.
platform::Platform& ThePlatform();
// True once a backend exists.
bool HavePlatform();
// For tests: use this backend from now on (nullptr: none).
void SetPlatform(std::unique_ptr<platform::Platform> platform);
// Ends the process with `status`, telling the backend first.
[[noreturn]] void ExitProcess(int status);
// A diagnostic line for the transcript of a scripted run (a `note` line);
// nothing is shown on screen.
void Note(std::string_view text);
}  // namespace zarv
