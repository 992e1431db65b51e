// The toolkit's start-up.
#pragma once

#include <string_view>

// Sets the reporting mode from ZARVDEBUG, the undefined field values to
// -999.0 and -999, switches beeps on and the locale decimal option off, and
// connects the error report to the status bar and the message box.
// `options` is the configuration text (a single blank: the defaults).
void WInitialise(std::string_view options);
