// The program's whole life: companion files, toolkit and window, settings,
// then the event loop until a quit is requested.
#include <algorithm>
#include <cmath>
#include <string>

#include "app/nodalux/circle_status.h"
#include "app/nodalux/commands.h"
#include "app/nodalux/settings.h"
#include "app/shared/file_names.h"
#include "app/shared/list_view.h"
#include "app/shared/program_state.h"
#include "resources/resource_table.h"
#include "toolkit/core/command_line.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/resources.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/common_dialogs.h"
#include "toolkit/dialogs/initialise.h"
#include "toolkit/os/files.h"

namespace nodalux {
namespace {

bool FileExists(const std::string& path) { return zarv::os::IsRegularFile(path); }

void FileMissing(std::string_view text) { WMessageBox(0, 4, 1, text, "File missing"); }

constexpr std::string_view kConverterFile = "MakeOV2_v1-1.exe";
constexpr std::string_view kSymbolFile = "default_symbol.bmp";

// The program's folder and the companion files' paths in it must fit the
// program's path texts; a cut folder would name another place, and every
// file would seem missing. Says so, naming the folder, when they do not.
bool ProgramFolderFits() {
  const std::string own = zarv::OwnProgramPath();
  const std::size_t slash = own.rfind('/');
  if (slash == std::string::npos) return true;
  const std::string folder = own.substr(0, slash + 1);
  const std::size_t limit =
      PROGRAM_FOLDER.size() - std::max(kConverterFile.size(), kSymbolFile.size());
  if (folder.size() <= limit) return true;
  WMessageBox(0, 3, 1,
              folder + "\rThe path of the program's folder is too long: it has " +
                  std::to_string(folder.size()) + " characters, Nodalux takes at most " +
                  std::to_string(limit) + ".\rMove the program to a folder with a shorter path and restart.",
              "Path too long");
  return false;
}

// Both companion files must lie beside the program; the converter is looked
// for first.
bool CompanionFilesPresent() {
  if (!ProgramFolderFits()) return false;
  IOsCommandArg(0, PROGRAM_FOLDER);
  ROOT(PROGRAM_FOLDER);
  const std::string folder(PROGRAM_FOLDER.trimmed());
  if (!FileExists(folder + std::string(kConverterFile))) {
    FileMissing(
        "Copy the file MakeOV2_v1-1.exe into the\r"
        "same folder as the program Nodalux\r"
        "and restart.");
    return false;
  }
  DEFAULT_SYMBOL_PATH.assign(folder + std::string(kSymbolFile));
  if (!FileExists(std::string(DEFAULT_SYMBOL_PATH.trimmed()))) {
    FileMissing(
        "Copy the TomTom Navigator default symbol file\r"
        "default_symbol.bmp into the same folder as the\r"
        "program Nodalux and restart.");
    return false;
  }
  return true;
}

void OpenMainWindow() {
  zarv::WindowStyle style;
  style.Flags = zarv::kSysMenu | zarv::kMinButton | zarv::kMaxButton | zarv::kStatusBar |
                zarv::kFixedBorder;  // 103
  style.X = -1;
  style.Y = -1;
  style.Width = 512;
  style.Height = 256;
  style.MenuId = 30001;
  style.Title.assign("Nodalux");
  WindowOpenStyle(style);
  WMenuToolbar(30101);
  const int widths[] = {3500, -1};
  WindowStatusParts(2, widths);
  WindowStatusText(1, " Number of POI in group: 0");
}

void EventLoop() {
  while (!QUIT_REQUESTED) {
    int kind = 0;
    zarv::EventRecord event;
    WEventWait(kind, event);
    switch (kind) {
      case zarv::EvMenuPick:
        PROCESSMENU(event.Value1);
        break;
      case zarv::EvRepaint:
      case zarv::EvResized:
        REFRESH();
        break;
      case zarv::EvCloseAsked:
        QUIT_REQUESTED = true;  // nothing is stored: only Exit stores the settings
        break;
      default:
        break;
    }
  }
}

}  // namespace

void NODALUX() {
  if (!CompanionFilesPresent()) return;
  zarv::RegisterResourceFiles(ResourceFiles());
  if (!zarv::ResourceError().empty()) {
    WMessageBox(0, 1, 1, "The program's resources are damaged:\r" + zarv::ResourceError(),
                "Nodalux");
    return;
  }
  WInitialise(" ");
  OpenMainWindow();
  LoadSettings();
  WriteCircleStatus(std::fabs(CENTRE_LATITUDE), std::fabs(CENTRE_LONGITUDE), RADIUS_MILES);
  EventLoop();
  WindowShutdown();
}

}  // namespace nodalux
