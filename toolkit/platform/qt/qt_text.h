// Byte texts of the toolkit <-> QString.
//
// The toolkit hands over bytes. Each valid UTF-8 sequence shows as its
// character, each byte that starts none as one replacement character
// (utf8.h), so a bad byte never changes how the rest of a text looks.
// Reading back prefers the exact bytes we set when the widget still shows
// them, so an untouched widget reads back byte for byte.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "toolkit/platform/utf8.h"

namespace zarv::platform::qt {

inline QString ToQt(std::string_view bytes) {
  QString shown;
  shown.reserve(qsizetype(bytes.size()));
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Char c = NextUtf8(bytes, i);
    i += c.length;
    if (!c.valid) {
      shown += QChar(char16_t(kReplacementCharacter));
    } else if (c.code < 0x80) {
      shown += QLatin1Char(char(c.code));
    } else {
      const char32_t code = c.code;
      shown += QString::fromUcs4(&code, 1);
    }
  }
  return shown;
}

inline std::string FromQt(const QString& shown) {
  const QByteArray utf8 = shown.toUtf8();
  return std::string(utf8.constData(), std::size_t(utf8.size()));
}

// `shown` read back from a widget whose text was last set from `set_bytes`.
inline std::string FromQt(const QString& shown, const std::string& set_bytes) {
  if (ToQt(set_bytes) == shown) return set_bytes;
  return FromQt(shown);
}

// Lines separated by carriage returns (alone or before a line feed).
inline QString LinesToQt(std::string_view bytes) {
  QString text = ToQt(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace zarv::platform::qt
