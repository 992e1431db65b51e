// A data-layer screen test for the OV2 routines: it also runs in its own
// temporary folder (the writer puts its temporary file in the current one)
// and reads back list-view lines and message boxes from the transcript.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/app/shared/data_test_support.h"

namespace nodalux::testing {

class Ov2ScreenTest : public ScreenTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // What the screen showed, in order, with list-view lines as
  // `list "TEXT"` (their position left out) and area clearing dropped.
  std::vector<std::string> Events() const;
  static std::string ListLine(std::string_view text);
  std::vector<std::string> Boxes() const { return ScreenLines("box "); }

 private:
  std::filesystem::path old_folder_;
};

}  // namespace nodalux::testing
