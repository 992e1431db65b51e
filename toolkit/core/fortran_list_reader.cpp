// List-directed input of one record, value for value as gfortran reads an
// internal file of one record.
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

#include "toolkit/core/conversion_locale.h"
#include "toolkit/core/fortran_io.h"

namespace zarv::fortran {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// What ends an unquoted value. gfortran takes ";" for a comma even when the
// decimal character is the point; where semicolons are refused, one still
// ends the value, and reading stops there with an error.
bool EndsValue(char c) { return IsBlank(c) || c == ',' || c == ';' || c == '/'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// gfortran refuses larger repeat counts.
constexpr long long kMaxRepeat = 200000000;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
  return true;
}

// An integer item: an optional sign and decimal digits that fit 32 bits.
bool ParseInteger(std::string_view s, int& value) {
  std::size_t i = 0;
  const bool negative = !s.empty() && s[0] == '-';
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) ++i;
  if (i == s.size()) return false;
  long long magnitude = 0;
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return false;
    magnitude = magnitude * 10 + (s[i] - '0');
    if (magnitude > 2147483648LL) return false;
  }
  if (magnitude == 2147483648LL && !negative) return false;
  value = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

// A real item: [sign] digits [. digits] or [sign] . digits, then an optional
// exponent written with E, D or Q and an optional sign, or as a bare sign
// ("1.5+3"); or INF, INFINITY, NAN, NAN(...) in any case. The text that the
// C library then converts is rebuilt from these pieces, so nothing it would
// accept beyond them (hexadecimal, say) gets through.
template <typename Real>
bool ParseReal(std::string_view s, Real& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const std::string_view body = s.substr(i);
  if (EqualsIgnoringCase(body, "inf") || EqualsIgnoringCase(body, "infinity")) {
    value = negative ? -std::numeric_limits<Real>::infinity() : std::numeric_limits<Real>::infinity();
    return true;
  }
  if (body.size() >= 3 && EqualsIgnoringCase(body.substr(0, 3), "nan")) {
    std::string_view rest = body.substr(3);
    if (!rest.empty()) {
      if (rest.front() != '(' || rest.back() != ')') return false;
      for (char c : rest.substr(1, rest.size() - 2))
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    value = std::numeric_limits<Real>::quiet_NaN();
    if (negative) value = -value;  // gfortran keeps the sign of "-NaN"
    return true;
  }

  // The text for the C library: at most the item's characters and an "e".
  char small[64];
  std::string large;
  char* text = small;
  if (s.size() + 2 > sizeof small) {
    large.resize(s.size() + 2);
    text = large.data();
  }
  std::size_t n = 0;
  if (negative) text[n++] = '-';
  std::size_t digits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++digits) text[n++] = s[i];
  if (i < s.size() && s[i] == '.') {
    text[n++] = s[i++];
    for (; i < s.size() && IsDigit(s[i]); ++i, ++digits) text[n++] = s[i];
  }
  if (digits == 0) return false;
  if (i < s.size()) {
    const char marker = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    if (marker == 'e' || marker == 'd' || marker == 'q') ++i;
    else if (marker != '+' && marker != '-') return false;
    text[n++] = 'e';
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) text[n++] = s[i++];
    std::size_t exponent_digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++exponent_digits) text[n++] = s[i];
    if (exponent_digits == 0 || i != s.size()) return false;
  }
  text[n] = '\0';
  if constexpr (sizeof(Real) == sizeof(float)) value = strtof_l(text, nullptr, conversion::CLocale());
  else value = strtod_l(text, nullptr, conversion::CLocale());
  return true;
}

}  // namespace

ListReader::ListReader(std::string_view record, Semicolon semicolon)
    : record_(record), semicolon_separates_(semicolon == Semicolon::kSeparator) {}

std::size_t ListReader::position() const { return pos_; }

ListReader::Status ListReader::fail(Status status) {
  finished_ = status;
  return status;
}

void ListReader::skipBlanks() {
  while (pos_ < record_.size() && IsBlank(record_[pos_])) ++pos_;
}

// After a value: blanks, at most one comma (or semicolon, where it
// separates), blanks. A slash is left in place for the next item to find.
void ListReader::skipSeparator() {
  skipBlanks();
  if (pos_ < record_.size() && (record_[pos_] == ',' || (record_[pos_] == ';' && semicolon_separates_))) {
    ++pos_;
    skipBlanks();
  }
}

ListReader::Status ListReader::next(Target target, std::string_view& text) {
  if (finished_) return *finished_;
  if (repeat_left_ > 0) {
    --repeat_left_;
    if (repeat_null_) return Status::kNull;
    if (target != repeat_target_) return fail(Status::kError);
    text = repeat_text_;
    return Status::kValue;
  }
  return scanField(target, text);
}

ListReader::Status ListReader::scanField(Target target, std::string_view& text) {
  skipBlanks();
  if (pos_ >= record_.size()) return fail(Status::kEnd);
  const char first = record_[pos_];
  if (first == '/') return fail(Status::kSlash);
  if (first == ';' && !semicolon_separates_) return fail(Status::kError);
  if (first == ',' || first == ';') {
    ++pos_;
    skipBlanks();
    return Status::kNull;
  }

  // A repeat count: digits directly followed by "*".
  long long repeat = 1;
  std::size_t i = pos_;
  while (i < record_.size() && IsDigit(record_[i])) ++i;
  if (i > pos_ && i < record_.size() && record_[i] == '*') {
    repeat = 0;
    for (std::size_t k = pos_; k < i; ++k) {
      repeat = repeat * 10 + (record_[k] - '0');
      if (repeat > kMaxRepeat) return fail(Status::kError);
    }
    if (repeat == 0) return fail(Status::kError);
    pos_ = i + 1;
    if (pos_ < record_.size() && record_[pos_] == ';' && !semicolon_separates_) return fail(Status::kError);
    if (pos_ >= record_.size() || EndsValue(record_[pos_])) {
      repeat_left_ = repeat - 1;
      repeat_null_ = true;
      skipSeparator();
      return Status::kNull;
    }
  }

  const char c = record_[pos_];
  if (target == Target::kCharacter && (c == '\'' || c == '"')) {
    // A quoted string: a doubled quote stands for one; an unclosed string
    // runs to the end of the record. Without doubled quotes it is read
    // where it lies.
    const std::size_t start = ++pos_;
    bool doubled = false;
    while (pos_ < record_.size()) {
      if (record_[pos_] == c) {
        if (pos_ + 1 < record_.size() && record_[pos_ + 1] == c) {
          doubled = true;
          pos_ += 2;
          continue;
        }
        break;
      }
      ++pos_;
    }
    text = record_.substr(start, pos_ - start);
    if (doubled) {
      quoted_.clear();
      for (std::size_t k = 0; k < text.size(); ++k) {
        quoted_.push_back(text[k]);
        if (text[k] == c) ++k;
      }
      text = quoted_;
    }
    if (pos_ < record_.size()) {
      ++pos_;  // the closing quote
      if (pos_ < record_.size() && !EndsValue(record_[pos_])) return fail(Status::kError);
    }
  } else {
    const std::size_t start = pos_;
    while (pos_ < record_.size() && !EndsValue(record_[pos_])) ++pos_;
    text = record_.substr(start, pos_ - start);
  }
  if (pos_ < record_.size() && record_[pos_] == ';' && !semicolon_separates_) return fail(Status::kError);
  skipSeparator();
  repeat_left_ = repeat - 1;
  repeat_null_ = false;
  repeat_text_ = text;
  repeat_target_ = target;
  return Status::kValue;
}

ListReader::Status ListReader::read(int& value) {
  std::string_view text;
  const Status status = next(Target::kInteger, text);
  if (status != Status::kValue) return status;
  if (!ParseInteger(text, value)) return fail(Status::kError);
  return status;
}

ListReader::Status ListReader::read(float& value) {
  std::string_view text;
  const Status status = next(Target::kReal4, text);
  if (status != Status::kValue) return status;
  if (!ParseReal(text, value)) return fail(Status::kError);
  return status;
}

ListReader::Status ListReader::read(double& value) {
  std::string_view text;
  const Status status = next(Target::kReal8, text);
  if (status != Status::kValue) return status;
  if (!ParseReal(text, value)) return fail(Status::kError);
  return status;
}

ListReader::Status ListReader::read(TextSpan value) {
  std::string_view text;
  const Status status = next(Target::kCharacter, text);
  if (status == Status::kValue) value.assign(text);
  return status;
}

}  // namespace zarv::fortran
