// A scratch folder for the batch program's tests: made fresh for each test,
// removed afterwards, with files read and written by name and commands run
// inside it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace nodalux::batch::testing {

class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "nodalux_batch_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Write(const std::filesystem::path& name, std::string_view bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const std::filesystem::path& name) const {
    std::ifstream file(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  // Runs a shell command in the folder (the names the tests give are plain
  // words); its exit status, or -1 when it did not exit.
  int Shell(const std::string& command) const {
    const std::string line = "cd '" + dir_.string() + "' && " + command;
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::filesystem::path dir_;
};

// One OV2 POI record (type 2).
inline std::string Ov2Poi(std::int32_t longitude, std::int32_t latitude, std::string_view name) {
  std::string r(1, '\x02');
  const auto put = [&r](std::int32_t v) {
    for (int i = 0; i < 4; ++i) r += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  };
  put(static_cast<std::int32_t>(13 + name.size() + 1));
  put(longitude);
  put(latitude);
  r.append(name).push_back('\0');
  return r;
}

}  // namespace nodalux::batch::testing
