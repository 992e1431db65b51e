#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "toolkit/platform/platform.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {

// The desktop backend. Script from ZARVSCRIPT (none: a person drives it),
// transcript to ZARVTRANSCRIPT, screenshots into ZARVSCREENSHOTS.
// nullptr with a one-line message in `error` when no display can be opened.
std::unique_ptr<Platform> CreateQtPlatform(std::string* error);

// For tests: driven by `script_text`, writing into `transcript`, which the
// caller keeps alive.
std::unique_ptr<Platform> CreateQtPlatform(std::string_view script_text, Transcript& transcript,
                                           std::string* error);

}  // namespace zarv::platform
