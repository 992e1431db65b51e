#include "tests/ov2/fake_app.h"

#include <filesystem>

#include "app/nodalux/app_state.h"
#include "app/nodalux/file_names.h"
#include "app/nodalux/list_view.h"
#include "app/nodalux/poi_data.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/dialogs/common_dialogs.h"

namespace nodalux {
PoiTable POI_TABLE;
PoiTable GROUP_TABLE;
std::int32_t POI_COUNT = 0;
std::int32_t GROUP_COUNT = 0;
std::int32_t READ_COUNT = 0;
bool QUIT_REQUESTED = false;
zarv::Text<256> PROGRAM_FOLDER;
zarv::Text<256> DEFAULT_SYMBOL_PATH;
zarv::Text<256> INPUT_FILE;
zarv::Text<256> OUTPUT_FILE;

void SCROLL(std::string_view text) { ov2test::Fake().list_lines.emplace_back(text); }
zarv::Text<256> FIT(std::string_view path, std::int32_t) { return zarv::Text<256>(path); }
void EXTN(std::string_view filename, zarv::TextSpan root, zarv::TextSpan extension) {
  const std::string_view name = zarv::Trimmed(filename);
  const std::size_t dot = name.rfind('.');
  root.assign(dot == std::string_view::npos ? name : name.substr(0, dot));
  extension.assign(dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1));
}
}  // namespace nodalux

void WMessageBox(int buttons, int icon, int default_button, std::string_view message,
                 std::string_view title) {
  ov2test::Fake().boxes.push_back(
      {buttons, icon, default_button, std::string(message), std::string(title)});
}

void IOsCommand(std::string_view command, int flags, int) {
  auto& fake = ov2test::Fake();
  fake.commands.emplace_back(command);
  fake.command_flags = flags;
  fake.last_command_status = fake.run_program ? fake.run_program(std::string(command)) : 2;
}
void IOsCopyFile(std::string_view source, std::string_view target) {
  std::error_code error;
  std::filesystem::copy_file(source, target, error);
}
void IOsDeleteFile(std::string_view pattern) {
  ov2test::Fake().deleted.emplace_back(pattern);
  if (pattern == ov2test::Fake().undeletable) return;
  std::error_code error;
  std::filesystem::remove(pattern, error);
}

namespace zarv {
int InfoStatus(int) {
  ++ov2test::Fake().info_status_reads;
  return 0;
}
int LastCommandStatus() { return ov2test::Fake().last_command_status; }
}  // namespace zarv

namespace ov2test {

FakeApp& Fake() {
  static FakeApp fake;
  return fake;
}

FakeApp& ResetFakeApp() {
  Fake() = FakeApp{};
  nodalux::POI_COUNT = 0;
  nodalux::GROUP_COUNT = 0;
  nodalux::READ_COUNT = 0;
  nodalux::QUIT_REQUESTED = false;
  return Fake();
}

}  // namespace ov2test
