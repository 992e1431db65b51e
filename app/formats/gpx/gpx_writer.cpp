#include "app/formats/gpx/gpx_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

#include "app/formats/encoding/utf8.h"

namespace nodalux::gpx {
namespace {

using encoding::AppendUtf8;
using encoding::DecodeUtf8;
using encoding::kReplacementCharacter;

// Characters an XML 1.0 document can contain at all (even as references).
bool XmlCanHold(char32_t c) {
  if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
  return c != 0xFFFE && c != 0xFFFF;
}

bool NeedsCare(unsigned char c) {
  return c < 0x20 || c >= 0x80 || c == '&' || c == '<' || c == '>';
}

}  // namespace

std::string ShortestDecimal(float value) {
  std::array<char, 64> buffer;
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
  return {buffer.data(), result.ptr};
}

Writer::Writer(std::string& out) : out_(out) {
  out_ +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"nodalux-batch\" "
      "xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
      "http://www.topografix.com/GPX/1/1/gpx.xsd\">\n";
}

bool Writer::add(float longitude, float latitude, std::string_view name) {
  if (!(std::abs(latitude) <= 90.0f) || !(std::abs(longitude) <= 180.0f)) return false;
  out_ += "  <wpt lat=\"";
  out_ += ShortestDecimal(latitude);
  out_ += "\" lon=\"";
  out_ += ShortestDecimal(longitude);
  if (name.empty()) {
    out_ += "\"/>\n";
    return true;
  }
  out_ += "\">\n    <name>";
  std::string_view rest = name;
  while (!rest.empty()) {
    // Copy the plain stretch in one go.
    std::size_t plain = 0;
    while (plain < rest.size() && !NeedsCare(static_cast<unsigned char>(rest[plain]))) ++plain;
    out_.append(rest.substr(0, plain));
    rest.remove_prefix(plain);
    if (rest.empty()) break;

    const encoding::Utf8Char c = DecodeUtf8(rest);
    rest.remove_prefix(c.length);
    if (!c.valid || !XmlCanHold(c.value)) {
      AppendUtf8(out_, kReplacementCharacter);
      ++replaced_;
    } else if (c.value == '&') {
      out_ += "&amp;";
    } else if (c.value == '<') {
      out_ += "&lt;";
    } else if (c.value == '>') {
      out_ += "&gt;";
    } else if (c.value < 0x20) {
      // Tab, line feed, carriage return: as references, so that no reader
      // turns them into other white space.
      out_ += "&#" + std::to_string(static_cast<unsigned>(c.value)) + ";";
    } else {
      AppendUtf8(out_, c.value);
    }
  }
  out_ += "</name>\n  </wpt>\n";
  return true;
}

void Writer::finish() { out_ += "</gpx>\n"; }

}  // namespace nodalux::gpx
