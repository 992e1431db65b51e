#include "toolkit/platform/qt/qt_messages.h"

#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <array>

namespace zarv::platform::qt {
namespace {

QtMessageHandler g_previous = nullptr;
bool g_installed = false;

void FilterMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg && message.contains(QLatin1StringView("no Qt platform plugin could be initialized"))) {
    // The display went away (or refused us) between the start-up check and
    // the real connection. Say so plainly and end without a core dump.
    std::fprintf(stderr,
                 "%s: the Qt platform plugin could not open a display; "
                 "run with ZARVPLATFORM=headless, or QT_QPA_PLATFORM=offscreen\n",
                 program_invocation_short_name);
    std::fflush(nullptr);
    std::_Exit(1);
  }
  // Other fatal messages end the process; they are never dropped.
  if (type != QtFatalMsg && IsHarmlessQtMessage(message)) return;
  if (g_previous) {
    g_previous(type, context, message);
  } else {
    // Qt's default handler is what qInstallMessageHandler(nullptr) restores;
    // it is only reachable through qFormatLogMessage plus stderr.
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
  }
}

}  // namespace

bool IsHarmlessQtMessage(const QString& message) {
  // Each of these is a plugin or environment limitation the program does
  // not depend on; the window works the same either way.
  static const std::array<QLatin1StringView, 3> kHarmless = {
      QLatin1StringView("This plugin does not support propagateSizeHints()"),
      QLatin1StringView("This plugin does not support raise()"),
      QLatin1StringView("This plugin does not support grabbing the keyboard"),
  };
  for (QLatin1StringView known : kHarmless)
    if (message.trimmed() == known) return true;
  // A missing runtime folder is replaced by Qt with a private one of its own.
  return message.startsWith(QLatin1StringView("QStandardPaths: XDG_RUNTIME_DIR not set"));
}

void InstallQtMessageFilter() {
  if (g_installed) return;
  g_installed = true;
  g_previous = qInstallMessageHandler(FilterMessage);
}

}  // namespace zarv::platform::qt
