#include "app/formats/csv_writer.h"

#include <cstring>

#include "app/formats/number_fields.h"
#include "toolkit/core/text.h"

namespace nodalux::formats {

void AppendCsvRecord(std::string& out, float longitude, float latitude, std::string_view name) {
  name = zarv::Trimmed(name);
  // Room for the longest line this record can make (every byte of the name
  // a doubled quote); what is not used is given back below.
  const std::size_t start = out.size();
  out.resize(start + 2 * kMaxPutWidth + 2 * name.size() + 6);
  char* p = out.data() + start;
  // Coordinates as "(F10.5)" without their leading blanks: -0.12346,51.50000.
  p = PutFixedField(p, longitude, 10, 5, true);
  *p++ = ',';
  p = PutFixedField(p, latitude, 10, 5, true);
  *p++ = ',';
  *p++ = '"';
  // A double quote inside the name is doubled, so that the line reads back
  // whole.
  while (!name.empty()) {
    const void* quote = std::memchr(name.data(), '"', name.size());
    const std::size_t run = quote ? static_cast<std::size_t>(static_cast<const char*>(quote) - name.data()) + 1
                                  : name.size();
    std::memcpy(p, name.data(), run);
    p += run;
    if (quote) *p++ = '"';
    name.remove_prefix(run);
  }
  std::memcpy(p, "\"\r\n", 3);
  p += 3;
  out.resize(static_cast<std::size_t>(p - out.data()));
}

}  // namespace nodalux::formats
