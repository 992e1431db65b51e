#include "app/formats/csv_record.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "toolkit/core/fortran_io.h"
#include "toolkit/core/text.h"

namespace nodalux::formats {
namespace {

constexpr bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }
constexpr bool IsControl(char c) { return static_cast<unsigned char>(c) < 32; }
constexpr bool IsValueEnd(char c) { return c == ' ' || c == ',' || c == '/'; }
constexpr bool IsNumberChar(char c) {
  return IsDigit(c) || c == '.' || c == '-' || c == '+' || c == 'E' || c == 'e';
}

// Eight bytes at p, the first in the lowest byte.
std::uint64_t Load8(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;  // little-endian, as everywhere this program runs
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// How many of the eight bytes at p lead as digits, and the number they
// make. The bytes after the first one that is not a digit may be garbled
// by the arithmetic; they are shifted out.
int LeadingDigits(const char* p, std::uint64_t* value) {
  const std::uint64_t t = Load8(p) - 0x30 * kOnes;
  const std::uint64_t not_digit = (t | (t + 0x76 * kOnes)) & kHighBits;
  const int count = not_digit == 0 ? 8 : std::countr_zero(not_digit) / 8;
  if (count == 0) {
    *value = 0;
    return 0;
  }
  // The digits to the top, zeros before them; then pairs, fours, eights.
  std::uint64_t v = t << (8 * (8 - count));
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFull;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFull;
  v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFull;
  *value = v;
  return count;
}

// Appends the digits at p to `value` and passes over them; how many there
// were (the value wraps only past 19, which callers refuse). Eight bytes at
// a time where eight are left to look at: numbers mostly have fewer.
[[gnu::always_inline]] inline int Digits(const char*& p, const char* end, std::uint64_t* value) {
  const char* const start = p;
  if (end - p >= 8) {
    std::uint64_t eight = 0;
    const int count = LeadingDigits(p, &eight);
    static constexpr std::uint64_t kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    *value = *value * kScale[count] + eight;
    p += count;
    if (count < 8) return count;
  }
  while (p < end && IsDigit(*p)) *value = *value * 10 + static_cast<unsigned>(*p++ - '0');
  return static_cast<int>(p - start);
}

// The first byte of the eight at p that is `quote` or a control character
// (below 32), or 8. Each test may flag bytes after its first true find;
// the first flag of either is true.
int QuoteOrControl(const char* p, char quote) {
  const std::uint64_t word = Load8(p);
  const std::uint64_t x = word ^ (static_cast<unsigned char>(quote) * kOnes);
  const std::uint64_t found = (((x - kOnes) & ~x) | ((word - 0x20 * kOnes) & ~word)) & kHighBits;
  return found == 0 ? 8 : std::countr_zero(found) / 8;
}

}  // namespace

float DecimalQuotient(std::uint32_t digits, int decimals) {
  static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                           1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
  static constexpr double kTenths[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5,
                                       1e-6, 1e-7, 1e-8, 1e-9, 1e-10};
  // The product is within two units of its last place of the quotient, and
  // a double has 29 bits more than a float: unless those bits put it that
  // close to the midpoint between two floats, it rounds to the same float.
  const double near = static_cast<double>(digits) * kTenths[decimals];
  const std::uint32_t below = static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(near)) & ((1u << 29) - 1);
  if (below - ((1u << 28) - 8) > 16) return static_cast<float>(near);
  return static_cast<float>(digits) / kPowersOfTen[decimals];
}

namespace {

// The everyday shape of a record, read where it lies.
class QuickRecord {
 public:
  explicit QuickRecord(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

  // Where reading has got to.
  const char* at() const { return p_; }

  // A number such as -0.12345, 51.5, 3., .5 or 1.5E-3, ended by a blank or
  // a comma (not by the end: a record needs its name).
  [[gnu::always_inline]] bool number(float* value) {
    if (short_decimal(value)) return true;
    const char* p = p_;
    if (p < end_ && *p == '+') {
      ++p;
      if (p < end_ && (*p == '+' || *p == '-')) return false;  // "+-5"
    }
    const bool negative = p < end_ && *p == '-';
    if (negative) ++p;
    // Digits with at most one point: at most 24 bits of digits and 10
    // decimals make a float and a power of ten that are both exact, so one
    // division rounds the value exactly as the general conversion does.
    std::uint64_t digits = 0;
    int count = Digits(p, end_, &digits);
    int decimals = 0;
    if (p < end_ && *p == '.') {
      ++p;
      decimals = Digits(p, end_, &digits);
      count += decimals;
    }
    if (p < end_ && (*p == ' ' || *p == ',') && count > 0 && count <= 19 &&
        digits <= (1u << 24) && decimals <= 10) {
      p_ = p;
      const float quotient = DecimalQuotient(static_cast<std::uint32_t>(digits), decimals);
      *value = negative ? -quotient : quotient;
      return true;
    }
    // Anything longer or with an exponent: the C++ library's exactly rounded
    // conversion, on the whole token.
    const char* const start = p_;
    p = start;
    while (p < end_ && IsNumberChar(*p)) ++p;
    if (p == end_ || (*p != ' ' && *p != ',')) return false;
    const auto [stop, error] = std::from_chars(start + (*start == '+' ? 1 : 0), p, *value);
    if (error != std::errc() || stop != p) return false;
    p_ = p;
    return true;
  }

  // The commonest number of all, such as -0.12345 or 51.5: a minus or not,
  // digits, a point and digits, eight digits at most, read as one block of
  // eight bytes with the point taken out. Nothing for any other number.
  [[gnu::always_inline]] bool short_decimal(float* value) {
    const char* p = p_;
    if (end_ - p < 18) return false;  // a sign, sixteen bytes and the stop
    const bool negative = *p == '-';
    p += negative ? 1 : 0;
    const std::uint64_t whole = Load8(p) - 0x30 * kOnes;
    const std::uint64_t not_digit = (whole | (whole + 0x76 * kOnes)) & kHighBits;
    const int before = std::countr_zero(not_digit | (1ull << 63)) / 8;  // 0..7
    if (before == 0 || p[before] != '.') return false;
    const std::uint64_t fraction = Load8(p + before + 1) - 0x30 * kOnes;
    const std::uint64_t not_fraction = (fraction | (fraction + 0x76 * kOnes)) & kHighBits;
    const int after = std::countr_zero(not_fraction | (1ull << 63)) / 8;
    const int count = before + after;
    const char stop = p[before + 1 + after];
    if (after == 0 || count > 8 || (stop != ' ' && stop != ',')) return false;
    // The digits before the point in the low bytes, those after it above
    // them; the digits to the top, then pairs, fours, eights.
    std::uint64_t v = (whole & ((1ull << (8 * before)) - 1)) | (fraction << (8 * before));
    v <<= 8 * (8 - count);
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFull;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFull;
    v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFull;
    if (v > (1u << 24)) return false;
    p_ = p + before + 1 + after;
    const float quotient = DecimalQuotient(static_cast<std::uint32_t>(v), after);
    *value = negative ? -quotient : quotient;
    return true;
  }

  // Blanks, at most one comma, blanks; then the next value must start.
  [[gnu::always_inline]] bool separator() {
    // Mostly a comma alone.
    if (end_ - p_ >= 2 && p_[0] == ',' && !IsValueEnd(p_[1])) {
      ++p_;
      return true;
    }
    while (p_ < end_ && *p_ == ' ') ++p_;
    if (p_ < end_ && *p_ == ',') {
      ++p_;
      while (p_ < end_ && *p_ == ' ') ++p_;
    }
    return p_ < end_ && *p_ != ',' && *p_ != '/';
  }

  // A name in double quotes or apostrophes without doubled quotes inside,
  // or a word without quotes; what follows it is not looked at beyond the
  // separator that ends it.
  std::optional<std::string_view> name() {
    const char first = *p_;
    if (first == '"' || first == '\'') {
      const char* const close = closing_quote();
      if (close == nullptr) return std::nullopt;
      if (close + 1 < end_ && !IsValueEnd(close[1])) return std::nullopt;  // "" or "x"y
      return std::string_view(p_ + 1, static_cast<std::size_t>(close - p_ - 1));
    }
    const char* const start = p_;
    for (; p_ < end_ && !IsValueEnd(*p_); ++p_) {
      const char c = *p_;
      if (c == '*' || c == ';' || c == '"' || c == '\'' || IsControl(c)) return std::nullopt;
    }
    return std::string_view(start, static_cast<std::size_t>(p_ - start));
  }

  // The quote that closes the one at the cursor, or null when a control
  // character (a line end among them) or the end comes first.
  [[gnu::always_inline]] const char* closing_quote() const {
    const char quote = *p_;
    const char* close = p_ + 1;
#if defined(__SSE2__)
    // Sixteen bytes at a time: a byte is found where it is the quote, or
    // where it is no greater than 31 (the least of it and 31 is itself).
    const __m128i quotes = _mm_set1_epi8(quote);
    const __m128i last_control = _mm_set1_epi8(31);
    while (end_ - close >= 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(close));
      const __m128i found = _mm_or_si128(_mm_cmpeq_epi8(block, quotes),
                                         _mm_cmpeq_epi8(_mm_min_epu8(block, last_control), block));
      const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(found));
      if (mask != 0) {
        close += std::countr_zero(mask);
        return *close == quote ? close : nullptr;
      }
      close += 16;
    }
#endif
    while (end_ - close >= 8) {
      const int at = QuoteOrControl(close, quote);
      close += at;
      if (at < 8) break;
    }
    while (close < end_ && *close != quote && !IsControl(*close)) ++close;
    return close < end_ && *close == quote ? close : nullptr;
  }

 private:
  const char* p_;
  const char* end_;
};

// A name as a record keeps it: its first kNameLength bytes, trailing
// blanks dropped.
[[gnu::always_inline]] inline std::string_view Kept(std::string_view name) {
  return zarv::Trimmed(name.substr(0, std::min(name.size(), kNameLength)));
}

}  // namespace

bool ReadPlainCsvRecord(std::string_view text, CsvRecord* record) {
  QuickRecord cursor(text);
  float longitude = 0.0f;
  if (!cursor.number(&longitude) || !cursor.separator()) return false;
  float latitude = 0.0f;
  if (!cursor.number(&latitude) || !cursor.separator()) return false;
  const std::optional<std::string_view> name = cursor.name();
  if (!name) return false;
  record->longitude = longitude;
  record->latitude = latitude;
  record->name = Kept(*name);
  return true;
}

std::size_t ReadPlainCsvLine(std::string_view bytes, std::size_t max_length, PoiView* poi,
                             std::size_t* length) {
  QuickRecord cursor(bytes);
  float longitude = 0.0f;
  if (!cursor.number(&longitude) || !cursor.separator()) return 0;
  float latitude = 0.0f;
  if (!cursor.number(&latitude) || !cursor.separator()) return 0;
  const char first = *cursor.at();
  if (first != '"' && first != '\'') return 0;
  const char* const close = cursor.closing_quote();
  if (close == nullptr) return 0;
  // The line must end right after the name, within what is held, and be
  // short enough to be kept whole.
  const char* end = close + 1;
  const char* const bytes_end = bytes.data() + bytes.size();
  std::size_t line_end = 1;
  if (end < bytes_end && *end == '\r') {
    ++end;
    ++line_end;
  }
  if (end == bytes_end || *end != '\n') return 0;
  const std::size_t line_length = static_cast<std::size_t>(close + 1 - bytes.data());
  if (line_length > max_length) return 0;
  const char* const open = cursor.at() + 1;
  poi->longitude = longitude;
  poi->latitude = latitude;
  poi->name = Kept(std::string_view(open, static_cast<std::size_t>(close - open)));
  *length = line_length;
  return line_length + line_end;
}

CsvFault ReadListCsvRecord(std::string_view text, char* name_buffer, CsvRecord* record,
                           std::size_t* column) {
  using Status = zarv::fortran::ListReader::Status;
  *record = {};
  // A record separates its values with commas and blanks only.
  zarv::fortran::ListReader reader(text, zarv::fortran::ListReader::Semicolon::kRefused);
  const auto fault = [&](Status status) {
    *column = reader.position();
    return status == Status::kEnd ? CsvFault::kTooShort : CsvFault::kBadValue;
  };
  for (std::optional<float>* coordinate : {&record->longitude, &record->latitude}) {
    float value = 0.0f;
    const Status status = reader.read(value);
    if (status == Status::kSlash) return CsvFault::kNone;
    if (status == Status::kValue) *coordinate = value;
    if (status != Status::kValue && status != Status::kNull) return fault(status);
  }
  const zarv::TextSpan name(name_buffer, kNameLength);
  const Status status = reader.read(name);
  if (status == Status::kValue) record->name = name.trimmed();
  if (status != Status::kValue && status != Status::kNull && status != Status::kSlash) {
    return fault(status);
  }
  return CsvFault::kNone;
}

CsvFault ReadCsvRecord(std::string_view text, char* name_buffer, CsvRecord* record,
                       std::size_t* column) {
  if (ReadPlainCsvRecord(text, record)) return CsvFault::kNone;
  return ReadListCsvRecord(text, name_buffer, record, column);
}

}  // namespace nodalux::formats
