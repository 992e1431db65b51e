// Shared set-up of the tests that drive dialogs through the headless
// backend: a script, an in-memory transcript, the root window open, and the
// events the program would read.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialog_test_support.h"
#include "toolkit/core/window.h"
#include "toolkit/platform/headless/headless_platform.h"

namespace dialog_tests {

struct Event {
  int kind, window, value1, value2;
  bool operator==(const Event&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Event& e) {
  return os << '{' << e.kind << ", " << e.window << ", " << e.value1 << ", " << e.value2 << '}';
}

class HeadlessDialogTest : public ::testing::Test {
 protected:
  // Runs `script` on the headless backend with `files` (a resource script
  // and the files it names; they must outlive the test) as resources, and
  // opens the program's root window.
  void start(std::string_view script,
             const std::vector<std::pair<const char*, const std::string*>>& files) {
    zarv::SetPlatform(make_platform(script));
    zarv::dialogs::ResetDialogTable();
    zarv::SetUndefinedValues(-999.0f, -999);
    zarv::SetBeep(true);
    UseResources(files);
    zarv::WindowStyle style;
    style.Flags = 103;
    style.Width = 512;
    style.Height = 256;
    style.Title.assign("Nodalux");
    WindowOpenStyle(style);
    zarv::InfoStatus(1);
  }
  // The backend the script drives; headless unless a test says otherwise.
  virtual std::unique_ptr<zarv::platform::Platform> make_platform(std::string_view script) {
    return zarv::platform::CreateHeadlessPlatform(script, *transcript);
  }
  void TearDown() override {
    zarv::dialogs::ResetDialogTable();
    WindowShutdown();
    zarv::SetPlatform(nullptr);
  }

  // The next event as the program's loop would get it.
  static Event next() {
    int kind = 0;
    zarv::EventRecord r;
    WEventWait(kind, r);
    return {kind, r.Window, r.Value1, r.Value2};
  }
  std::size_t count(std::string_view line) const {
    const auto& l = transcript->lines();
    return static_cast<std::size_t>(std::count(l.begin(), l.end(), line));
  }
  bool has(std::string_view line) const { return count(line) > 0; }
  bool has_prefix(std::string_view start) const {
    const auto& l = transcript->lines();
    return std::any_of(l.begin(), l.end(), [&](const std::string& s) { return s.starts_with(start); });
  }

  std::unique_ptr<zarv::platform::Transcript> transcript = zarv::platform::Transcript::InMemory();
};

}  // namespace dialog_tests
