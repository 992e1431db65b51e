#include "tools/batch/names.h"

#include <algorithm>

#include "app/formats/poi_view.h"
#include "toolkit/core/text.h"

namespace nodalux::batch {

NameConverter::NameConverter(encoding::NameEncoding encoding) : encoding_(encoding) {}
NameConverter::~NameConverter() = default;

encoding::NameCodec& NameConverter::codec() {
  if (!codec_) codec_ = std::make_unique<encoding::NameCodec>(encoding_);
  return *codec_;
}

std::string_view NameConverter::bytes(const PoiRef& poi) {
  if (poi.kind == NameKind::kBytes) return poi.name;
  std::string_view text = poi.name;
  if (text.find_first_of("\r\n") != std::string_view::npos) {
    ++line_breaks_;
    scratch_.assign(text);
    std::replace_if(scratch_.begin(), scratch_.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    text = scratch_;
  }
  encoding::NameBytes converted = codec().FromUtf8(text, formats::kNameLength);
  substituted_ += converted.substituted > 0 ? 1 : 0;
  cut_ += converted.cut ? 1 : 0;
  scratch_ = std::move(converted.bytes);
  return scratch_;
}

std::string_view NameConverter::text(const PoiRef& poi) {
  if (poi.kind == NameKind::kUtf8) return poi.name;
  encoding::NameText converted = codec().ToUtf8(zarv::Trimmed(poi.name));
  invalid_ += converted.replaced > 0 ? 1 : 0;
  scratch_ = std::move(converted.text);
  return scratch_;
}

void NameConverter::report(std::string_view output, Messages& messages) const {
  const auto names = [](std::size_t n) { return std::to_string(n) + (n == 1 ? " name" : " names"); };
  std::string what;
  const auto add = [&what](const std::string& part) { what += (what.empty() ? "" : "; ") + part; };
  if (invalid_ > 0) {
    add(names(invalid_) + " held bytes that are not UTF-8, written as U+FFFD (--encoding cp1252 "
                          "reads them as code page 1252)");
  }
  if (substituted_ > 0) {
    add(names(substituted_) + " held characters that code page 1252 lacks, written as the "
                              "nearest ones or '?'");
  }
  if (cut_ > 0) add(names(cut_) + " longer than 128 bytes cut at 128");
  if (line_breaks_ > 0) add(names(line_breaks_) + " with line breaks written with blanks instead");
  if (!what.empty()) messages.warning(output, what);
}

}  // namespace nodalux::batch
