#include "app/formats/gpx/xml_encodings.h"

#include <iconv.h>

#include <cerrno>
#include <string_view>

namespace nodalux::gpx {
namespace {

// Names as they appear in encoding declarations; anything else is not
// handed to iconv at all.
bool PlausibleName(std::string_view name) {
  if (name.empty() || name.size() > 40) return false;
  for (char c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '.' || c == ':';
    if (!ok) return false;
  }
  return true;
}

class Descriptor {
 public:
  explicit Descriptor(const char* from) : cd_(iconv_open("UTF-32LE", from)) {}
  ~Descriptor() {
    if (ok()) iconv_close(cd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

int XMLCALL LoadSingleByteEncoding(void*, const XML_Char* name, XML_Encoding* info) {
  if (!PlausibleName(name)) return XML_STATUS_ERROR;
  const Descriptor cd(name);
  if (!cd.ok()) return XML_STATUS_ERROR;
  for (int byte = 0; byte < 256; ++byte) {
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(byte);
    unsigned char out[8] = {};
    char* from = &in;
    std::size_t from_left = 1;
    char* to = reinterpret_cast<char*>(out);
    std::size_t to_left = sizeof out;
    const std::size_t result = iconv(cd.get(), &from, &from_left, &to, &to_left);
    const std::size_t produced = sizeof out - to_left;
    if (result == static_cast<std::size_t>(-1) && errno == EILSEQ) {
      info->map[byte] = -1;  // no character: expat reports the byte as invalid
      continue;
    }
    if (result == static_cast<std::size_t>(-1) || produced != 4) return XML_STATUS_ERROR;
    const unsigned code = out[0] | (out[1] << 8) | (out[2] << 16) | (unsigned{out[3]} << 24);
    if (byte < 0x80 && code != static_cast<unsigned>(byte)) return XML_STATUS_ERROR;
    info->map[byte] = static_cast<int>(code);
  }
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

}  // namespace nodalux::gpx
