// Byte texts of the toolkit <-> QString.
//
// The toolkit hands over bytes. Valid UTF-8 is shown as such; anything else
// (single-byte texts from old files) is shown as Latin-1 so no byte is lost.
// Reading back prefers the exact bytes we set when the widget still shows
// them, so an untouched widget reads back byte for byte.
#pragma once

#include <QString>
#include <QStringDecoder>
#include <string>
#include <string_view>

namespace zarv::platform::qt {

inline bool IsValidUtf8(std::string_view bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString ignored = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  return !decoder.hasError();
}

inline QString ToQt(std::string_view bytes) {
  const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
  if (IsValidUtf8(bytes)) return QString::fromUtf8(view);
  return QString::fromLatin1(view);
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
