// The group definition dialog driven by a script through the headless
// backend, checked in its transcript.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/shared/program_state.h"
#include "dialog_test_support.h"
#include "app/nodalux/commands.h"
#include "app/shared/list_view.h"
#include "app/nodalux/poi_files.h"
#include "resources/resource_table.h"
#include "toolkit/core/resources.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/dialog_fields.h"
#include "toolkit/dialogs/dialog_table.h"
#include "toolkit/platform/headless/headless_platform.h"

namespace {

using namespace nodalux;

std::vector<std::string> RunOptions(std::string_view script) {
  auto transcript = zarv::platform::Transcript::InMemory();
  zarv::SetPlatform(zarv::platform::CreateHeadlessPlatform(script, *transcript));
  zarv::RegisterResourceFiles(nodalux::ResourceFiles());
  zarv::dialogs::ResetDialogTable();
  zarv::SetBeep(true);
  dialog_tests::OpenProgramWindowWithDefaultCircle();
  OPTIONS();
  WindowShutdown();
  std::vector<std::string> lines = transcript->lines();
  zarv::SetPlatform(nullptr);
  return lines;
}

bool Has(const std::vector<std::string>& lines, std::string_view line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(HeadlessGroupDialog, ShowsTheCircleRefusesOutOfRangeAndReformats) {
  const auto lines = RunOptions(
      "dialog 102\n"
      "type 1003 95\n"
      "press 1\n"
      "type 1003 51.5\n"
      "tab\n"
      "pick 1009 2\n"
      "press 1\n");
  for (const char* want : {"dialog 102 show", "field 1009 \"N\"", "field 1003 \"51.47604\"",
                           "field 1010 \"E\"", "field 1004 \"0.00000\"", "field 1005 \"30.00\"",
                           "beep"}) {
    EXPECT_TRUE(Has(lines, want)) << want;
  }
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "beep"), 1);
  EXPECT_EQ(CENTRE_LATITUDE, -51.5f);
  EXPECT_EQ(LIST_COUNT, 1);
  EXPECT_TRUE(Has(lines, "status 2 \" Centre: S  51.50000, E  0.00000, Radius: 30.00\""));
}

TEST(HeadlessGroupDialog, TheCloseBoxAppliesTheValues) {
  const auto lines = RunOptions("dialog 102\ntype 1005 12.5\nclosebox\n");
  EXPECT_EQ(RADIUS_MILES, 12.5f);
  EXPECT_EQ(LIST_COUNT, 1);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.starts_with("dialog 102 end 2"); }));
}

}  // namespace
