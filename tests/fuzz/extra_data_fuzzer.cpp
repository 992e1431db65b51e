// Fuzz target: dialog extra data applied to a dialog with one field of each kind.
#include <cstddef>
#include <cstdint>

#include "toolkit/dialogs/extra_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zarv::dialogs::FuzzExtraData(data, size);
  return 0;
}
