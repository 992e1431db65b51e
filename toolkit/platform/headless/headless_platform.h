// The scripted backend: no display, fixed sizes, no clock; reads the script
// and writes the transcript (see script.h, transcript.h).
#pragma once

#include <memory>
#include <string_view>

#include "toolkit/platform/platform.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {

// Faults a test can inject, so that failure paths get exercised.
struct HeadlessFaults {
  bool message_box_fails = false;  // message_box returns -1
  bool open_window_fails = false;  // open_window returns false
};

// Script from ZARVSCRIPT, transcript to ZARVTRANSCRIPT.
std::unique_ptr<Platform> CreateHeadlessPlatform();

// For tests: runs `script_text` and writes into `transcript`, which the
// caller keeps alive (Transcript::InMemory() collects the lines).
std::unique_ptr<Platform> CreateHeadlessPlatform(std::string_view script_text,
                                                 Transcript& transcript,
                                                 HeadlessFaults faults = {});

}  // namespace zarv::platform
