#include "app/nodalux/circle_status.h"

#include <string>

#include "app/shared/program_state.h"
#include "app/formats/number_fields.h"
#include "toolkit/core/window.h"

namespace nodalux {

void WriteCircleStatus(float latitude, float longitude, float radius) {
  MESSAGE_TEXT.assign(" Centre: " + std::string(1, NS_LETTER[0]) + FixedField(latitude, 10, 5) + ", " +
                      std::string(1, EW_LETTER[0]) + FixedField(longitude, 9, 5) + ", Radius:" +
                      FixedField(radius, 6, 2));
  WindowStatusText(2, MESSAGE_TEXT.view());
}

}  // namespace nodalux
