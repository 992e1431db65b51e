#include "app/formats/gpx/gpx_reader.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <string_view>

#include "app/formats/gpx/xml_encodings.h"

namespace nodalux::gpx {
namespace {

// Separates a namespace URI from the local name in what expat reports. XML
// text cannot contain it, so it never comes from the document.
constexpr char kNamespaceSeparator = '\x01';

struct Place {
  std::uint64_t line;
  std::uint64_t column;
  std::uint64_t offset;
};

struct QName {
  std::string_view uri;
  std::string_view local;
};

QName Split(const XML_Char* name) {
  const std::string_view all(name);
  const std::size_t cut = all.find(kNamespaceSeparator);
  if (cut == std::string_view::npos) return {{}, all};
  return {all.substr(0, cut), all.substr(cut + 1)};
}

std::string Printable(std::string_view text, std::size_t limit = 40) {
  std::string out;
  for (char c : text.substr(0, limit)) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  if (text.size() > limit) out += "...";
  return out;
}

std::string_view TrimXmlSpace(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// A decimal number as GPX writes coordinates: an optional sign, digits with
// an optional decimal point, and (beyond the schema, as some programs write
// them) an optional exponent. The value is rounded once, to float; the range
// is checked on the exact double.
struct Coordinate {
  float value = 0.0f;
  double exact = 0.0;
};

std::optional<Coordinate> ParseCoordinate(std::string_view text) {
  text = TrimXmlSpace(text);
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty() || digits.front() == '+' || (text.front() == '+' && digits.front() == '-')) {
    return std::nullopt;
  }
  // from_chars would also take "inf" and "nan": allow only what a decimal
  // number is made of, and let from_chars check the order.
  for (char c : digits) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
      return std::nullopt;
    }
  }
  Coordinate result;
  const char* end = digits.data() + digits.size();
  const auto as_double = std::from_chars(digits.data(), end, result.exact);
  if (as_double.ptr != end) return std::nullopt;
  if (as_double.ec == std::errc::result_out_of_range) {
    // Too large for any range, or too small to be anything but zero.
    const std::size_t e = digits.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
    const bool negative = digits.front() == '-';
    result.exact = tiny ? 0.0 : HUGE_VAL;
    if (negative) result.exact = -result.exact;
    result.value = static_cast<float>(result.exact);
    return result;
  }
  if (as_double.ec != std::errc()) return std::nullopt;
  const auto as_float = std::from_chars(digits.data(), end, result.value);
  if (as_float.ec != std::errc()) result.value = static_cast<float>(result.exact);
  return result;
}

}  // namespace

struct Reader::State {
  ByteSource& source;
  XML_Parser parser = nullptr;

  std::deque<Poi> ready;
  std::optional<Error> error;
  bool last_chunk_fed = false;
  bool suspended = false;
  bool done = false;
  std::uint64_t fed = 0;
  std::uint64_t markup_end = 0;  // where the last event reported ends

  int depth = 0;
  std::string gpx_namespace;
  int point_depth = 0;  // depth of the open wpt or rtept; 0: none open
  Poi point;
  bool point_named = false;
  int name_depth = 0;  // depth of the name being collected; 0: none
  std::size_t track_points = 0;
  Place prolog_end{1, 1, 0};  // see OnOther

  explicit State(ByteSource& s) : source(s) {
    parser = XML_ParserCreateNS(nullptr, kNamespaceSeparator);
    if (!parser) {
      error = Error{ErrorKind::kMalformed, 0, 0, 0, "no memory to start the XML parser"};
      return;
    }
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &State::OnStart, &State::OnEnd);
    XML_SetCharacterDataHandler(parser, &State::OnText);
    XML_SetDefaultHandlerExpand(parser, &State::OnOther);
    XML_SetStartDoctypeDeclHandler(parser, &State::OnDoctype);
    XML_SetUnknownEncodingHandler(parser, &LoadSingleByteEncoding, nullptr);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
  }
  ~State() {
    if (parser) XML_ParserFree(parser);
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  static State& Of(void* data) { return *static_cast<State*>(data); }

  // Where expat is: in a handler, the start of the event reported.
  Place Here() const {
    const XML_Index index = XML_GetCurrentByteIndex(parser);
    return {XML_GetCurrentLineNumber(parser), XML_GetCurrentColumnNumber(parser) + 1,
            index < 0 ? fed : static_cast<std::uint64_t>(index)};
  }

  static Error At(const Place& place, ErrorKind kind, std::string message) {
    return {kind, place.line, place.column, place.offset, std::move(message)};
  }

  void Fail(ErrorKind kind, std::string message) {
    if (error) return;
    error = At(Here(), kind, std::move(message));
    XML_StopParser(parser, XML_FALSE);
  }

  // Every event but text passes here first: notes where it ends and refuses
  // markup beyond the limit.
  bool Markup(const char* what) {
    if (error) return false;
    const int count = XML_GetCurrentByteCount(parser);
    markup_end = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser)) +
                 static_cast<std::uint64_t>(count < 0 ? 0 : count);
    if (static_cast<std::size_t>(count) > kMaxMarkupBytes) {
      Fail(ErrorKind::kTooLong,
           std::string(what) + " longer than " + std::to_string(kMaxMarkupBytes) + " bytes");
      return false;
    }
    return true;
  }

  static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    State& s = Of(data);
    ++s.depth;
    if (!s.Markup("a tag with its attributes")) return;
    if (s.depth > kMaxDepth) {
      s.Fail(ErrorKind::kTooDeep, "elements nested more than " + std::to_string(kMaxDepth) +
                                      " deep");
      return;
    }
    const QName q = Split(name);
    if (s.depth == 1) {
      s.StartRoot(q);
    } else if (s.point_depth == 0 && q.uri == s.gpx_namespace) {
      if (q.local == "wpt" || q.local == "rtept") s.StartPoint(q.local, attributes);
      if (q.local == "trkpt") ++s.track_points;
    } else if (s.point_depth != 0 && s.depth == s.point_depth + 1 && !s.point_named &&
               q.uri == s.gpx_namespace && q.local == "name") {
      s.point_named = true;
      s.name_depth = s.depth;
    }
  }

  void StartRoot(const QName& q) {
    if (q.local != "gpx") {
      Fail(ErrorKind::kNotGpx,
           "not a GPX file: the document is <" + Printable(q.local) + ">, not <gpx>");
    } else if (!q.uri.empty() && q.uri != kGpx10Namespace && q.uri != kGpx11Namespace) {
      Fail(ErrorKind::kNotGpx, "not GPX 1.0 or 1.1: <gpx> is in the namespace \"" +
                                   Printable(q.uri, 80) + "\"");
    } else {
      gpx_namespace = q.uri;
    }
  }

  void StartPoint(std::string_view element, const XML_Char** attributes) {
    const XML_Char* lat = nullptr;
    const XML_Char* lon = nullptr;
    for (const XML_Char** a = attributes; *a; a += 2) {
      const std::string_view attribute(a[0]);
      if (attribute == "lat") lat = a[1];
      if (attribute == "lon") lon = a[1];
    }
    if (!lat || !lon) {
      Fail(ErrorKind::kMissingCoordinate,
           std::string(element) + " without its " + (lat ? "lon" : "lat") + " attribute");
      return;
    }
    const auto latitude = Coordinate(element, "lat", lat, 90.0);
    if (!latitude) return;
    const auto longitude = Coordinate(element, "lon", lon, 180.0);
    if (!longitude) return;
    point = Poi{*longitude, *latitude, {}};
    point_depth = depth;
    point_named = false;
  }

  std::optional<float> Coordinate(std::string_view element, const char* attribute,
                                  std::string_view text, double limit) {
    const auto parsed = ParseCoordinate(text);
    if (parsed && std::abs(parsed->exact) <= limit) return parsed->value;
    const std::string what =
        std::string(element) + " " + attribute + " \"" + Printable(text) + "\"";
    if (!parsed) {
      Fail(ErrorKind::kBadCoordinate, what + " is not a decimal number");
    } else {
      Fail(ErrorKind::kOutOfRange, what + " is outside " + (limit == 90.0 ? "-90..90" : "-180..180"));
    }
    return std::nullopt;
  }

  static void XMLCALL OnEnd(void* data, const XML_Char*) {
    State& s = Of(data);
    const int depth = s.depth--;
    if (!s.Markup("an end tag")) return;
    if (depth == s.name_depth) s.name_depth = 0;
    if (depth == s.point_depth) {
      s.point_depth = 0;
      s.ready.push_back(std::move(s.point));
      s.point = {};
      // Hand the point over before parsing on.
      XML_StopParser(s.parser, XML_TRUE);
    }
  }

  static void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    State& s = Of(data);
    if (s.error) return;
    const int count = XML_GetCurrentByteCount(s.parser);
    if (count > 0) {
      s.markup_end = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(s.parser)) +
                     static_cast<std::uint64_t>(count);
    }
    if (s.name_depth == 0 || s.depth != s.name_depth) return;
    if (s.point.name.size() + static_cast<std::size_t>(length) > kMaxNameBytes) {
      s.Fail(ErrorKind::kTooLong, "a name longer than " + std::to_string(kMaxNameBytes) + " bytes");
      return;
    }
    s.point.name.append(text, static_cast<std::size_t>(length));
  }

  static void XMLCALL OnOther(void* data, const XML_Char* text, int length) {
    State& s = Of(data);
    if (!s.Markup("a comment, processing instruction or declaration")) return;
    // Expat announces a DOCTYPE only once its name and identifiers are read,
    // and reports the start of the declaration to no one. Everything before
    // it (declaration, comments, white space) comes here, so the end of the
    // last of these is where it begins.
    if (s.depth == 0) s.prolog_end = s.After(std::string_view(text, static_cast<std::size_t>(length)));
  }

  // The place just after the current event, whose text is `text`, as expat
  // counts lines (CR LF, CR and LF each end one) and columns (characters).
  Place After(std::string_view text) const {
    Place end = Here();
    end.offset += static_cast<std::uint64_t>(std::max(0, XML_GetCurrentByteCount(parser)));
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c == '\n' || c == '\r') {
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        ++end.line;
        end.column = 1;
      } else if ((c & 0xC0) != 0x80) {
        ++end.column;
      }
    }
    return end;
  }

  static void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                int) {
    State& s = Of(data);
    if (s.error) return;
    s.error = At(s.prolog_end, ErrorKind::kDoctype,
                 "a DOCTYPE declaration: GPX needs none, and entity declarations are refused");
    XML_StopParser(s.parser, XML_FALSE);
  }

  void ExpatFailed() {
    if (error) return;  // one of the handlers stopped the parser and said why
    const XML_Error code = XML_GetErrorCode(parser);
    error = At(Here(), ErrorKind::kMalformed, code == XML_ERROR_NO_MEMORY
                                            ? std::string("no memory left to read the XML")
                                            : std::string("not well-formed XML: ") + XML_ErrorString(code));
  }

  // Parses on until a point is ready, the input ends or an error stops it.
  void Advance() {
    while (ready.empty() && !error && !done) {
      XML_Status status;
      if (suspended) {
        suspended = false;
        status = XML_ResumeParser(parser);
      } else if (last_chunk_fed) {
        done = true;
        break;
      } else {
        void* buffer = XML_GetBuffer(parser, static_cast<int>(kChunkBytes));
        if (!buffer) {
          ExpatFailed();
          break;
        }
        std::size_t got = 0;
        if (const int failed = source.read(static_cast<char*>(buffer), kChunkBytes, &got)) {
          error = Error{ErrorKind::kReadFailed, 0, 0, fed, std::strerror(failed)};
          break;
        }
        fed += got;
        last_chunk_fed = got == 0;
        status = XML_ParseBuffer(parser, static_cast<int>(got), last_chunk_fed);
      }
      if (status == XML_STATUS_SUSPENDED) {
        suspended = true;
      } else if (status == XML_STATUS_ERROR) {
        ExpatFailed();
      } else if (fed - markup_end > kMaxMarkupBytes + 4) {
        // Expat keeps an unfinished tag, comment or declaration whole until
        // its end arrives; refuse it before it grows any further. (The few
        // bytes of slack are the most text can hold back: part of a
        // character or of a line end.)
        error = At(Here(), ErrorKind::kTooLong,
                   "a tag, comment or declaration longer than " +
                       std::to_string(kMaxMarkupBytes) + " bytes");
      }
    }
  }
};

Reader::Reader(ByteSource& source) : state_(std::make_unique<State>(source)) {}

Reader::~Reader() = default;

std::optional<Poi> Reader::next() {
  state_->Advance();
  if (state_->ready.empty()) return std::nullopt;
  Poi poi = std::move(state_->ready.front());
  state_->ready.pop_front();
  return poi;
}

const std::optional<Error>& Reader::error() const { return state_->error; }

std::size_t Reader::track_points() const { return state_->track_points; }

}  // namespace nodalux::gpx
