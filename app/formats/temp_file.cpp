#include "app/formats/temp_file.h"

#include <algorithm>

#include "app/formats/number_fields.h"
#include "toolkit/core/text.h"

namespace nodalux::formats {

void AppendTempRecord(std::string& out, float longitude, float latitude, std::string_view name) {
  name = zarv::Trimmed(name);
  const std::size_t start = out.size();
  out.resize(start + 2 * kMaxPutWidth + name.size() + 6);
  char* p = out.data() + start;
  p = PutFixedField(p, longitude, 10, 5, false);
  *p++ = ',';
  p = PutFixedField(p, latitude, 10, 5, false);
  *p++ = ',';
  *p++ = '"';
  p = std::copy(name.begin(), name.end(), p);
  p = std::copy_n("\"\r\n", 3, p);
  out.resize(static_cast<std::size_t>(p - out.data()));
}

void AppendTempTrailer(std::string& out, long long count) {
  out.append(";* ").append(IntegerField(count, 5)).append(" POI records written.\r\n");
}

}  // namespace nodalux::formats
