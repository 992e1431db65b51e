#include <cmath>
#include <string>

#include "app/formats/number_fields.h"
#include "app/nodalux/circle_status.h"
#include "app/nodalux/commands.h"
#include "app/nodalux/poi_files.h"
#include "app/shared/list_view.h"
#include "app/shared/program_state.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/fortran_io.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/dialogs/dialog_fields.h"
#include "toolkit/dialogs/dialog_manager.h"

namespace nodalux {
namespace {

constexpr int DIALOG_ID = 102;
constexpr int LATITUDE_FIELD = 1003, LONGITUDE_FIELD = 1004, RADIUS_FIELD = 1005;
constexpr int NS_FIELD = 1009, EW_FIELD = 1010;
constexpr int OUT_OF_RANGE = 1009;
constexpr int FIELD_UNDEFINED = 1010;

// Puts a magnitude into its field. A stored circle can hold a value the
// field's range refuses; the field is then left empty (reading back as the
// undefined value) rather than showing the template's example text. True
// when the field was left empty.
bool PUT_MAGNITUDE(int FIELD, float VALUE, const char* FORMAT, const char* WHAT) {
  zarv::InfoStatus(1);
  WDialogPutReal(FIELD, VALUE, FORMAT);
  if (zarv::InfoStatus(1) != OUT_OF_RANGE) return false;
  WDialogPutString(FIELD, " ");
  zarv::Note(std::string("stored ") + WHAT + " is out of range; its field is left empty");
  return true;
}

// Reads a magnitude back. A field that was left empty for a stored value
// out of its range, and is still empty, keeps that value: confirming the
// dialog must not turn it into the undefined value.
void GET_MAGNITUDE(int FIELD, float& VALUE, bool LEFT_EMPTY, float STORED) {
  zarv::InfoStatus(1);
  WDialogGetReal(FIELD, VALUE);
  if (LEFT_EMPTY && zarv::InfoStatus(1) == FIELD_UNDEFINED) VALUE = std::fabs(STORED);
}

}  // namespace

void OPTIONS() {
  WDialogLoad(DIALOG_ID);
  WDialogPutOption(NS_FIELD, CENTRE_LATITUDE < 0.0f ? 2 : 1);
  WDialogPutOption(EW_FIELD, CENTRE_LONGITUDE < 0.0f ? 2 : 1);

  const float OLD_LATITUDE = CENTRE_LATITUDE;
  const float OLD_LONGITUDE = CENTRE_LONGITUDE;
  const float OLD_RADIUS = RADIUS_MILES;

  const bool LATITUDE_EMPTY =
      PUT_MAGNITUDE(LATITUDE_FIELD, std::fabs(CENTRE_LATITUDE), "(F10.5)", "latitude");
  const bool LONGITUDE_EMPTY =
      PUT_MAGNITUDE(LONGITUDE_FIELD, std::fabs(CENTRE_LONGITUDE), "(F10.5)", "longitude");
  WDialogPutReal(RADIUS_FIELD, RADIUS_MILES, "(F6.2)");

  WDialogShow(-1, -1, 0, 1);

  GET_MAGNITUDE(LATITUDE_FIELD, CENTRE_LATITUDE, LATITUDE_EMPTY, OLD_LATITUDE);
  GET_MAGNITUDE(LONGITUDE_FIELD, CENTRE_LONGITUDE, LONGITUDE_EMPTY, OLD_LONGITUDE);
  WDialogGetReal(RADIUS_FIELD, RADIUS_MILES);
  int OPTION = 0;
  zarv::TextSpan NS = NS_LETTER;
  zarv::TextSpan EW = EW_LETTER;
  WDialogGetMenu(NS_FIELD, OPTION, &NS);
  WDialogGetMenu(EW_FIELD, OPTION, &EW);
  WDialogUnload();

  // The status line shows the values as read, before the letters sign them.
  WriteCircleStatus(CENTRE_LATITUDE, CENTRE_LONGITUDE, RADIUS_MILES);

  // Only the capital letters turn the hemisphere.
  if (NS_LETTER[0] == 'S') CENTRE_LATITUDE = -CENTRE_LATITUDE;
  if (EW_LETTER[0] == 'W') CENTRE_LONGITUDE = -CENTRE_LONGITUDE;

  SELECT();

  MESSAGE_TEXT.assign(IntegerField(GROUP_COUNT, 8) + " in new group");
  if (CENTRE_LATITUDE != OLD_LATITUDE || CENTRE_LONGITUDE != OLD_LONGITUDE ||
      RADIUS_MILES != OLD_RADIUS) {
    SCROLL("Group definition changed. " + std::string(MESSAGE_TEXT.trimmed()));
  }
}

}  // namespace nodalux
