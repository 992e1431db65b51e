#include "tests/app/shared/data_test_support.h"

#include <fstream>
#include <iterator>
#include <random>

#include "app/shared/program_state.h"
#include "app/shared/file_names.h"
#include "app/shared/list_view.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/core/window.h"
#include "toolkit/platform/headless/headless_platform.h"

namespace nodalux::testing {

void ResetProgramState() { nodalux::ResetProgramState(); }

std::string BoxLine(int buttons, int icon, std::string_view title, std::string_view text) {
  return "box " + std::to_string(buttons) + " " + std::to_string(icon) + " 1 " +
         zarv::platform::Quote(title) + " " + zarv::platform::Quote(text) + " -> 1";
}

std::string TextLine(int x, int y, std::string_view text) {
  return "text " + std::to_string(x) + " " + std::to_string(y) + " " +
         zarv::platform::Quote(text);
}

std::string StatusLine(int part, std::string_view text) {
  return "status " + std::to_string(part) + " " + zarv::platform::Quote(text);
}

void ScreenTest::SetUp() {
  ResetProgramState();
  StartScreen();
  std::random_device seed;
  temp_dir_ = std::filesystem::temp_directory_path() /
              ("nodalux_data_" + std::to_string(seed()) + std::to_string(seed()));
  std::filesystem::create_directories(temp_dir_);
}

void ScreenTest::TearDown() {
  zarv::SetPlatform(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(temp_dir_, ignored);
  ResetProgramState();
}

void ScreenTest::StartScreen(std::string_view script) {
  zarv::SetPlatform(nullptr);
  transcript_ = zarv::platform::Transcript::InMemory();
  zarv::SetPlatform(zarv::platform::CreateHeadlessPlatform(script, *transcript_));
  zarv::WindowStyle style;
  style.Flags = zarv::kSysMenu | zarv::kMinButton | zarv::kMaxButton | zarv::kStatusBar |
                zarv::kFixedBorder;
  style.Width = 512;
  style.Height = 256;
  style.Title.assign("Nodalux");
  WindowOpenStyle(style);
  const int widths[] = {3500, -1};
  WindowStatusParts(2, widths);
  ForgetScreen();
}

void ScreenTest::ForgetScreen() { first_line_ = transcript_->lines().size(); }

std::vector<std::string> ScreenTest::Screen() const {
  std::vector<std::string> shown;
  const auto& lines = transcript_->lines();
  for (std::size_t i = first_line_; i < lines.size(); ++i) {
    if (!lines[i].starts_with("note ")) shown.push_back(lines[i]);
  }
  return shown;
}

std::vector<std::string> ScreenTest::ScreenLines(std::string_view prefix) const {
  std::vector<std::string> matching;
  for (const std::string& line : Screen()) {
    if (line.starts_with(prefix)) matching.push_back(line);
  }
  return matching;
}

std::filesystem::path ScreenTest::TempFile(std::string_view name) const {
  return temp_dir_ / std::string(name);
}

std::filesystem::path ScreenTest::WriteTempFile(std::string_view name,
                                                std::string_view bytes) const {
  const std::filesystem::path path = TempFile(name);
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string ScreenTest::ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace nodalux::testing
