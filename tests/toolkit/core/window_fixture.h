// The program's root window on a fake backend, opened as the program opens it.
#pragma once

#include <gtest/gtest.h>

#include "resources/resource_table.h"
#include "tests/toolkit/platform/fake_platform.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/resources.h"
#include "toolkit/core/window.h"

namespace zarv::testing {

inline void OpenProgramWindow() {
  zarv::WindowStyle style;
  style.Flags = 103;
  style.X = style.Y = -1;
  style.Width = 512;
  style.Height = 256;
  style.MenuId = 30001;
  style.Title.assign("Nodalux");
  WindowOpenStyle(style);
}

class RootWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_ = &InstallFake();
    zarv::RegisterResourceFiles(nodalux::ResourceFiles());
    zarv::InfoStatus(1);
  }
  void TearDown() override {
    WindowShutdown();
    zarv::SetPlatform(nullptr);
  }
  FakePlatform& fake() { return *fake_; }

 private:
  FakePlatform* fake_ = nullptr;
};

}  // namespace zarv::testing
