// Shared set-up of the dialog tests: resources, a fresh dialog table and
// the fake platform.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/toolkit/platform/fake_platform.h"
#include "resources/resource_table.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/resources.h"
#include "app/shared/program_state.h"
#include "app/shared/list_view.h"
#include "app/nodalux/poi_files.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/dialog_fields.h"
#include "toolkit/dialogs/dialog_table.h"

namespace dialog_tests {

using zarv::platform::DialogEvents;
using zarv::platform::FocusCause;
using zarv::testing::Control;
using zarv::testing::FakePlatform;
using zarv::testing::FakeView;
using zarv::testing::Script;
using zarv::testing::User;

// Registers the program's own resources plus a resource script of the test
// (and the files it names) as the program's resources; the strings must
// outlive the test.
inline void UseResources(const std::vector<std::pair<const char*, const std::string*>>& files) {
  static std::vector<zarv::EmbeddedFile> embedded;
  static std::string script;
  embedded.clear();
  script.clear();
  for (const zarv::EmbeddedFile& f : nodalux::ResourceFiles()) {
    if (std::string_view(f.name).ends_with(".rc")) {
      script = std::string(f.view());
    } else {
      embedded.push_back(f);
    }
  }
  for (const auto& [name, bytes] : files) {
    if (std::string_view(name).ends_with(".rc")) script += *bytes;
  }
  embedded.insert(embedded.begin(), {"test.rc", reinterpret_cast<const unsigned char*>(script.data()),
                                     script.size()});
  for (const auto& [name, bytes] : files) {
    if (std::string_view(name).ends_with(".rc")) continue;
    embedded.push_back({name, reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size()});
  }
  zarv::RegisterResourceFiles(embedded);
  ASSERT_TRUE(zarv::ResourceError().empty()) << zarv::ResourceError();
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform = &zarv::testing::InstallFake();
    // The screen and the dialog font the dialog tests' numbers are made for.
    platform->screen = {1024, 768};
    platform->base_units = {6, 13};
    zarv::dialogs::ResetDialogTable();
    zarv::SetUndefinedValues(-999.0f, -999);
    zarv::SetBeep(true);
    zarv::RegisterResourceFiles(nodalux::ResourceFiles());
    zarv::InfoStatus(1);
  }
  void TearDown() override {
    zarv::dialogs::ResetDialogTable();
    zarv::SetPlatform(nullptr);
  }
  static int LastError() { return zarv::InfoStatus(1); }

  FakePlatform* platform = nullptr;
};

// Opens the program's own window (menu, status bar) and sets the default
// circle with an empty list and no POI, as the group dialog starts from.
inline void OpenProgramWindowWithDefaultCircle() {
  zarv::WindowStyle style;
  style.Flags = 103;
  style.Width = 512;
  style.Height = 256;
  style.MenuId = 30001;
  style.Title.assign("Nodalux");
  WindowOpenStyle(style);
  nodalux::ResetProgramState();
  nodalux::CENTRE_LATITUDE = 51.47604f;
  nodalux::CENTRE_LONGITUDE = 0.0f;
  nodalux::RADIUS_MILES = 30.0f;
  nodalux::NS_LETTER.assign("N");
  nodalux::EW_LETTER.assign("E");
}

}  // namespace dialog_tests
