#include "tests/app/ov2subs/ov2_screen_test.h"

#include "toolkit/platform/transcript.h"

namespace nodalux::testing {

void Ov2ScreenTest::SetUp() {
  ScreenTest::SetUp();
  old_folder_ = std::filesystem::current_path();
  std::filesystem::current_path(temp_dir_);
}

void Ov2ScreenTest::TearDown() {
  std::filesystem::current_path(old_folder_);
  ScreenTest::TearDown();
}

std::vector<std::string> Ov2ScreenTest::Events() const {
  std::vector<std::string> events;
  for (const std::string& line : Screen()) {
    if (line.starts_with("clear ")) continue;
    if (line.starts_with("text ")) {  // text X Y "TEXT"
      events.push_back("list " + line.substr(line.find('"')));
    } else {
      events.push_back(line);
    }
  }
  return events;
}

std::string Ov2ScreenTest::ListLine(std::string_view text) {
  return "list " + zarv::platform::Quote(text);
}

}  // namespace nodalux::testing
