// Shared helpers for the data-layer tests: a fresh program state with the
// main window open on the headless backend, its transcript, and temporary
// files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/platform/transcript.h"

namespace nodalux::testing {

// Puts the whole program state back as the program starts.
void ResetProgramState();

// The transcript line of a message box answered with its default button.
std::string BoxLine(int buttons, int icon, std::string_view title, std::string_view text);
std::string TextLine(int x, int y, std::string_view text);
std::string StatusLine(int part, std::string_view text);

// A test with a fresh program state, the 512 x 256 main window open with a
// two-part status bar, message boxes answered by `script` (by default their
// default button), and a temporary folder removed afterwards.
class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Restarts the backend with another script for the modal answers.
  void StartScreen(std::string_view script = {});
  // Transcript lines written since the window opened (notes left out).
  std::vector<std::string> Screen() const;
  // The lines that start with `prefix` ("box ", "text ", "status ").
  std::vector<std::string> ScreenLines(std::string_view prefix) const;
  void ForgetScreen();

  std::filesystem::path TempFile(std::string_view name) const;
  std::filesystem::path WriteTempFile(std::string_view name, std::string_view bytes) const;
  static std::string ReadFileBytes(const std::filesystem::path& path);

  std::filesystem::path temp_dir_;

 private:
  std::unique_ptr<zarv::platform::Transcript> transcript_;
  std::size_t first_line_ = 0;
};

}  // namespace nodalux::testing
