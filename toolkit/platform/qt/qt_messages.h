// Qt's own diagnostics on stderr, minus the lines that are known noise.
#pragma once

#include <QString>

namespace zarv::platform::qt {

// True for a Qt message that says nothing useful to the user of this program
// (for instance what the offscreen plugin cannot do with size hints).
bool IsHarmlessQtMessage(const QString& message);

// Routes Qt's messages through a filter that drops the harmless ones and
// hands everything else to the handler that was there before. Idempotent.
void InstallQtMessageFilter();

}  // namespace zarv::platform::qt
