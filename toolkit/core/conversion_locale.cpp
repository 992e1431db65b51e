#include "toolkit/core/conversion_locale.h"

namespace zarv::conversion {

locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c;
}

}  // namespace zarv::conversion
