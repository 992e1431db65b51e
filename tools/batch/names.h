// Names on their way out. OV2 and CSV names are bytes, GPX names UTF-8
// text: a name goes across in the chosen encoding, and one that stays on
// its side is copied unchanged. What had to be changed on the way is
// counted, for one warning per output.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "app/formats/encoding/name_encoding.h"
#include "tools/batch/messages.h"
#include "tools/batch/poi_set.h"

namespace nodalux::batch {

class NameConverter {
 public:
  explicit NameConverter(encoding::NameEncoding encoding);
  ~NameConverter();

  // The name as OV2 or CSV bytes: a GPX name in the chosen encoding, cut to
  // the 128 bytes the desktop program keeps, its line breaks as blanks (a
  // line break would end the record). Valid until the next call.
  std::string_view bytes(const PoiRef& poi);
  // The name as UTF-8 for GPX, its trailing blanks left off as everywhere
  // in the desktop program. Valid until the next call.
  std::string_view text(const PoiRef& poi);

  // One warning for `output` about what was changed, if anything.
  void report(std::string_view output, Messages& messages) const;

 private:
  encoding::NameCodec& codec();

  encoding::NameEncoding encoding_;
  std::unique_ptr<encoding::NameCodec> codec_;  // made when first needed
  std::string scratch_;
  std::size_t invalid_ = 0;       // names with bytes that are not UTF-8 (read as U+FFFD)
  std::size_t substituted_ = 0;   // names with characters the encoding lacks
  std::size_t cut_ = 0;           // names longer than 128 bytes
  std::size_t line_breaks_ = 0;   // names with line breaks
};

}  // namespace nodalux::batch
