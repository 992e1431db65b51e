// The menu and toolbar commands: open, append, save, exit, help, about and
// the group definition.
#include <string>

#include "app/formats/number_fields.h"
#include "app/nodalux/commands.h"
#include "app/nodalux/poi_files.h"
#include "app/nodalux/settings.h"
#include "app/ov2subs/ov2_files.h"
#include "app/shared/file_names.h"
#include "app/shared/list_view.h"
#include "app/shared/program_state.h"
#include "toolkit/core/os_services.h"
#include "toolkit/dialogs/common_dialogs.h"
#include "toolkit/dialogs/dialog_status.h"

namespace nodalux {
namespace {

constexpr const char* kOpenFilter =
    "TomTom Overlay files (*.ov2)|*.ov2|AutoRoute CSV files (*.csv)|*.csv|";
constexpr const char* kSaveFilter =
    "AutoRoute CSV files (*.csv)|*.csv|TomTom Overlay files (*.ov2)|*.ov2|";
constexpr int kPathWidth = 50;

bool IsOv2(std::string_view file) {
  zarv::Text<256> root;
  zarv::Text<3> extension;
  EXTN(file, root, extension);
  return extension.view() == "ov2";
}

void ExitCommand() {
  StoreSettings();
  WHelpShow(" ");
  QUIT_REQUESTED = true;
}

}  // namespace

void PROCESSMENU(std::int32_t ID) {
  switch (ID) {
    case 40002:
      READ_COUNT = 0;
      OPEN(0);
      break;
    case 40102:
      READ_COUNT = 0;
      OPEN(1);
      break;
    case 40003:
      SAVE();
      break;
    case 40005:
      ExitCommand();
      break;
    case 40009:
      OPTIONS();
      break;
    case 40004:
      WHelpShow("Nodalux.hlp");
      break;
    case 40007:
      ABOUT();
      break;
    default:  // the pop-up headers 40001, 40006, 40008 and anything else
      break;
  }
}

void OPEN(std::int32_t MODE) {
  if (!BROWSE_PATH.blank()) ROOT(BROWSE_PATH);
  const bool append = MODE == 1;
  WFileDialog(kOpenFilter, 2, BROWSE_PATH, append ? "Append File" : "Open File");
  GROUP_WORD.assign(append ? "group" : "new group");
  if (WDialogStatus(4) != 1) return;  // cancelled: the loaded POI stay

  // The loaded POI, the group and INPUT_FILE change only when the chosen
  // file is read: one that cannot be opened or read, or is not a POI file,
  // leaves them all as they were (the reader says why).
  const zarv::Text<256> previous_input = INPUT_FILE;
  const std::int32_t previous_poi = POI_COUNT;
  const std::int32_t previous_group = GROUP_COUNT;
  INPUT_FILE = BROWSE_PATH;
  if (!append) {
    POI_COUNT = 0;
    GROUP_COUNT = 0;
  }
  SCROLL("Input from ... " + FIT(INPUT_FILE.view(), kPathWidth).str());
  POI_TABLE.begin_changes();
  const bool read = IsOv2(INPUT_FILE.view()) ? READ_OV2() : READ_CSV();
  if (read) {
    POI_TABLE.keep_changes();
  } else {
    POI_TABLE.undo_changes();
    POI_COUNT = previous_poi;
    GROUP_COUNT = previous_group;
    READ_COUNT = 0;
    INPUT_FILE = previous_input;
  }
  const std::int32_t before = GROUP_COUNT;
  SELECT();
  MESSAGE_TEXT.assign(IntegerField(READ_COUNT, 8) + " points read." +
                      IntegerField(GROUP_COUNT - before, 8) + " added to " + GROUP_WORD.str());
  SCROLL(zarv::LeftTrimmed(MESSAGE_TEXT.view()));
}

void SAVE() {
  if (GROUP_COUNT == 0) {
    WMessageBox(0, 4, 1,
                "Nothing to output.\r"
                "Select a different input file\r"
                "or change the group definition.",
                "Null subset");
    return;
  }
  OUTPUT_FILE = BROWSE_PATH;
  ROOT(OUTPUT_FILE);
  WFileDialog(kSaveFilter, 35, OUTPUT_FILE, "Save File");
  if (WDialogStatus(4) != 1) return;
  SCROLL("Output to ... " + FIT(OUTPUT_FILE.view(), kPathWidth).str());
  if (IsOv2(OUTPUT_FILE.view())) {
    WRITE_OV2();
  } else {
    WRITE_CSV();
  }
}

}  // namespace nodalux
