// Shared set-up of the dialog tests: resources, a fresh dialog table and
// the fake platform.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "resources/resource_table.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/resources.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/dialogs/dialog_fields.h"
#include "toolkit/dialogs/dialog_table.h"

namespace dialog_tests {

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
    auto p = std::make_unique<FakePlatform>();
    platform = p.get();
    zarv::SetPlatform(std::move(p));
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

}  // namespace dialog_tests
