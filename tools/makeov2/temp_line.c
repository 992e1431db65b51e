/* One line of the converter's input: a POI, the count trailer, a line to
 * pass over, or a line refused with the reason. */
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "tools/makeov2/makeov2.h"

/* A stretch of the line. */
struct Text {
  const char *data;
  size_t size;
};

static struct Text Sub(struct Text t, size_t at, size_t n) {
  struct Text sub = {t.data + at, n};
  return sub;
}

static int IsBlank(char c) { return c == ' ' || c == '\t'; }

static struct Text TrimBlanks(struct Text t) {
  while (t.size > 0 && IsBlank(t.data[0])) ++t.data, --t.size;
  while (t.size > 0 && IsBlank(t.data[t.size - 1])) --t.size;
  return t;
}

static int StartsWith(struct Text t, const char *prefix) {
  const size_t n = strlen(prefix);
  return t.size >= n && memcmp(t.data, prefix, n) == 0;
}

static int EndsWith(struct Text t, const char *suffix) {
  const size_t n = strlen(suffix);
  return t.size >= n && memcmp(t.data + t.size - n, suffix, n) == 0;
}

/* Where `c` first stands at or after `from`, or SIZE_MAX. */
static size_t Find(struct Text t, char c, size_t from) {
  if (from >= t.size) return SIZE_MAX;
  const char *at = memchr(t.data + from, c, t.size - from);
  return at == NULL ? SIZE_MAX : (size_t)(at - t.data);
}

/* A decimal such as -0.12345 with at most 15 digits and no exponent, as its
 * digits and the number of them after the point: both are exact in a
 * double, so one division gives the nearest double, as the general
 * conversion does (the numbers the program writes are all of this kind). */
struct ShortDecimal {
  int negative;
  uint64_t digits;
  int places;
};

static int ReadShortDecimal(struct Text text, struct ShortDecimal *number) {
  number->negative = text.size > 0 && text.data[0] == '-';
  if (number->negative) ++text.data, --text.size;
  number->digits = 0;
  int count = 0;
  int decimals = -1; /* no point yet */
  for (size_t i = 0; i < text.size; ++i) {
    const char c = text.data[i];
    if (c >= '0' && c <= '9' && count < 15) {
      number->digits = number->digits * 10 + (unsigned)(c - '0');
      ++count;
      if (decimals >= 0) ++decimals;
    } else if (c == '.' && decimals < 0) {
      decimals = 0;
    } else {
      return 0;
    }
  }
  if (count == 0) return 0;
  number->places = decimals > 0 ? decimals : 0;
  return 1;
}

static double ShortDecimalValue(const struct ShortDecimal *number) {
  static const double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const double magnitude = (double)number->digits / kPowersOfTen[number->places];
  return number->negative ? -magnitude : magnitude;
}

/* With at most five places the number is a whole count of 1/100000
 * degrees, the one its nearest double rounds to; 0 otherwise. Too many
 * digits for a coordinate count as too many places: the double then
 * tells. */
static int ShortDecimalUnits(const struct ShortDecimal *number, int64_t *units) {
  static const uint64_t kScale[] = {100000, 10000, 1000, 100, 10, 1};
  if (number->places > 5 || number->digits > ((uint64_t)1 << 40)) return 0;
  const int64_t magnitude = (int64_t)(number->digits * kScale[number->places]);
  *units = number->negative ? -magnitude : magnitude;
  return 1;
}

static int IsDigit(char c) { return c >= '0' && c <= '9'; }

/* A decimal number such as "-0.12345" or "51.5" or "1E2" (without blanks
 * around it, without a plus sign, not hexadecimal); nothing else may stand
 * in the field. Its nearest double, as long as that is finite, and not zero
 * for a number that is not. */
static int ParseNumber(struct Text field, double *value) {
  size_t i = 0;
  if (i < field.size && field.data[i] == '-') ++i;
  size_t digits = 0;
  int nonzero = 0;
  for (; i < field.size && IsDigit(field.data[i]); ++i, ++digits) nonzero |= field.data[i] != '0';
  if (i < field.size && field.data[i] == '.') {
    for (++i; i < field.size && IsDigit(field.data[i]); ++i, ++digits) nonzero |= field.data[i] != '0';
  }
  if (digits == 0) return 0;
  if (i < field.size && (field.data[i] == 'e' || field.data[i] == 'E')) {
    ++i;
    if (i < field.size && (field.data[i] == '+' || field.data[i] == '-')) ++i;
    const size_t exponent = i;
    while (i < field.size && IsDigit(field.data[i])) ++i;
    if (i == exponent) return 0;
  }
  if (i != field.size) return 0;
  /* The C library reads the same grammar; it needs the text ended by a NUL. */
  char small[64];
  char *copy = field.size < sizeof small ? small : malloc(field.size + 1);
  if (copy == NULL) return 0;
  memcpy(copy, field.data, field.size);
  copy[field.size] = '\0';
  *value = strtod(copy, NULL);
  if (copy != small) free(copy);
  return isfinite(*value) && !(*value == 0 && nonzero);
}

static const char kTrailerEnd[] = " POI records written.";

/* ";*    12 POI records written.": its count, or 0 for another line. */
static int TrailerCount(struct Text content, long long *count) {
  if (!StartsWith(content, ";*") || !EndsWith(content, kTrailerEnd)) return 0;
  struct Text digits = Sub(content, 2, content.size - 2 - (sizeof kTrailerEnd - 1));
  while (digits.size > 0 && IsBlank(digits.data[0])) ++digits.data, --digits.size;
  size_t i = 0;
  const int negative = digits.size > 0 && digits.data[0] == '-';
  if (negative) ++i;
  if (i == digits.size) return 0;
  unsigned long long value = 0;
  for (; i < digits.size; ++i) {
    if (!IsDigit(digits.data[i])) return 0;
    const unsigned digit = (unsigned)(digits.data[i] - '0');
    if (value > (9223372036854775807ULL - digit) / 10) return 0; /* past the range of a count */
    value = value * 10 + digit;
  }
  if (negative && value != 0) return 0;
  *count = (long long)value;
  return 1;
}

/* A number field that "(F10.5)" could not fit: all asterisks. */
static int Overflowed(struct Text field) {
  if (field.size == 0) return 0;
  for (size_t i = 0; i < field.size; ++i) {
    if (field.data[i] != '*') return 0;
  }
  return 1;
}

static void Bad(struct mkov2_temp_line *parsed, const char *error, struct Text field) {
  parsed->kind = MKOV2_BAD;
  parsed->error = error;
  parsed->field = field.data;
  parsed->field_size = field.size;
}

/* The coordinate in the field, in whole 1/100000 degrees, or 0 and why not
 * in `bad`. `limit` is in whole degrees. */
static int Coordinate(struct Text field, int limit, int longitude, int32_t *result, struct mkov2_temp_line *bad) {
  const char *const outside = longitude ? "longitude is outside -180..180" : "latitude is outside -90..90";
  field = TrimBlanks(field);
  struct Text number = field;
  /* One sign at most: "+-1" is not a number. */
  if (number.size > 0 && number.data[0] == '+') ++number.data, --number.size;
  int have_degrees = 0;
  double degrees = 0;
  if (number.size > 0 && number.data[0] != '+' && (number.data[0] != '-' || field.data[0] != '+')) {
    struct ShortDecimal decimal;
    if (ReadShortDecimal(number, &decimal)) {
      int64_t units;
      if (ShortDecimalUnits(&decimal, &units)) {
        if (units < -(int64_t)limit * 100000 || units > (int64_t)limit * 100000) {
          Bad(bad, outside, field);
          return 0;
        }
        *result = (int32_t)units;
        return 1;
      }
      degrees = ShortDecimalValue(&decimal);
      have_degrees = 1;
    } else {
      have_degrees = ParseNumber(number, &degrees);
    }
  }
  if (!have_degrees) {
    Bad(bad,
        Overflowed(field) ? (longitude ? "longitude overflowed its field" : "latitude overflowed its field")
                          : (longitude ? "longitude is not a number" : "latitude is not a number"),
        field);
    return 0;
  }
  if (!(fabs(degrees) <= limit)) {
    Bad(bad, outside, field);
    return 0;
  }
  *result = (int32_t)lround(degrees * 100000.0);
  return 1;
}

/* What a character can be in a field "(F10.5)" writes: its class in the
 * high bits (0 a blank, 1 a minus sign, 2 a digit, 3 anything else) and its
 * digit, or 0, in the low four. The table holds the class turned over (3
 * less it), so that every character it does not name is "anything else". */
#define FIXED_CLASS(class, digit) (uint8_t)((3 - (class)) << 4 | (digit))
static const uint8_t kFixedCharacters[256] = {
    [' '] = FIXED_CLASS(0, 0), ['-'] = FIXED_CLASS(1, 0), ['0'] = FIXED_CLASS(2, 0), ['1'] = FIXED_CLASS(2, 1),
    ['2'] = FIXED_CLASS(2, 2), ['3'] = FIXED_CLASS(2, 3), ['4'] = FIXED_CLASS(2, 4), ['5'] = FIXED_CLASS(2, 5),
    ['6'] = FIXED_CLASS(2, 6), ['7'] = FIXED_CLASS(2, 7), ['8'] = FIXED_CLASS(2, 8), ['9'] = FIXED_CLASS(2, 9),
};

static unsigned FixedCharacter(char c) { return kFixedCharacters[(unsigned char)c] ^ (3 << 4); }

/* The classes of the four places before the point (two bits each, the first
 * place lowest) that make a number: blanks, at most one minus sign, then at
 * least one digit. */
static const uint8_t kFixedWholePart[256] = {
    [0xAA] = 1, [0xA9] = 1,  /* dddd, -ddd */
    [0xA8] = 1, [0xA4] = 1,  /* _ddd, _-dd */
    [0xA0] = 1, [0x90] = 1,  /* __dd, __-d */
    [0x80] = 1,              /* ___d */
};

/* A field as "(F10.5)" writes it: blanks, a minus sign if any, one to four
 * digits, the point and five digits, ten characters in all. Its whole
 * 1/100000 degrees, or 0 for any other field. The field is aligned to the
 * right, so every place has its own weight, and nothing branches on the
 * blanks, whose count changes from line to line: the four places before
 * the point are looked up each on its own, the point and the five digits
 * after it are read as one 64-bit word. */
static int FixedUnits(const char *field, int32_t *units) {
  const unsigned c0 = FixedCharacter(field[0]);
  const unsigned c1 = FixedCharacter(field[1]);
  const unsigned c2 = FixedCharacter(field[2]);
  const unsigned c3 = FixedCharacter(field[3]);
  const unsigned whole_classes = (c0 >> 4) | (c1 >> 4) << 2 | (c2 >> 4) << 4 | (c3 >> 4) << 6;
  const unsigned whole = (c0 & 0xF) * 1000 + (c1 & 0xF) * 100 + (c2 & 0xF) * 10 + (c3 & 0xF);

  /* Bytes 2 to 9, the first in the lowest bits: the point is byte 2 of the
   * word, the digits bytes 3 to 7. */
  uint64_t word = 0;
  for (int i = 7; i >= 0; --i) word = word << 8 | (unsigned char)field[2 + i];
  const uint64_t kDigitBytes = 0xFFFFFFFFFF000000u;
  const int point = ((word >> 16) & 0xFF) == '.';
  /* A byte is a digit when its high half is 3, and still is after adding 6
   * (no carry crosses bytes unless the first test already failed). */
  const int digits = (word & (0xF0F0F0F0F0F0F0F0u & kDigitBytes)) == (0x3030303030303030u & kDigitBytes) &&
                     ((word + 0x0606060606060606u) & (0xF0F0F0F0F0F0F0F0u & kDigitBytes)) ==
                         (0x3030303030303030u & kDigitBytes);
  if (!(kFixedWholePart[whole_classes] & point & digits)) return 0;
  /* The five digits as a number of eight, three zeros first, combined in
   * pairs, fours and eights: each step adds ten, a hundred or ten thousand
   * times a lane to the lane after it. */
  uint64_t part = (word & kDigitBytes) - (0x3030303030303030u & kDigitBytes);
  part = (part * (1 + (10 << 8))) >> 8;
  part = ((part & 0x00FF00FF00FF00FFu) * (1 + (100 << 16))) >> 16;
  part = ((part & 0x0000FFFF0000FFFFu) * (1 + ((uint64_t)10000 << 32))) >> 32;
  const int32_t magnitude = (int32_t)(whole * 100000 + (unsigned)part);
  *units = whole_classes & 0x55 ? -magnitude : magnitude;
  return 1;
}

/* A line as the program writes it, "(F10.5),(F10.5),"name"", whose numbers
 * are in range and whose name holds no NUL: the record, read without
 * looking for its parts. 0 for any other line, which the general reading
 * then takes, with the same result for this one. */
static int WrittenRecord(struct Text line, struct mkov2_record *record) {
  if (line.size < 24 || line.data[10] != ',' || line.data[21] != ',' || line.data[22] != '"' ||
      line.data[line.size - 1] != '"') {
    return 0;
  }
  int32_t lon, lat;
  if (!FixedUnits(line.data, &lon) || !FixedUnits(line.data + 11, &lat) || lon < -18000000 || lon > 18000000 ||
      lat < -9000000 || lat > 9000000) {
    return 0;
  }
  const struct Text name = Sub(line, 23, line.size - 24);
  if (name.size > 0 && memchr(name.data, '\0', name.size) != NULL) return 0;
  record->longitude = lon;
  record->latitude = lat;
  record->name = name.data;
  record->name_size = name.size;
  return 1;
}

void mkov2_parse_temp_line(const char *data, size_t size, struct mkov2_temp_line *parsed) {
  static const struct mkov2_temp_line kNothing = {MKOV2_SKIP, {0, 0, NULL, 0}, 0, NULL, NULL, 0};
  static const struct Text kNoField = {NULL, 0};
  *parsed = kNothing;
  struct Text line = {data, size};
  if (line.size > 0 && line.data[line.size - 1] == '\r') --line.size;
  if (WrittenRecord(line, &parsed->record)) {
    parsed->kind = MKOV2_RECORD;
    return;
  }
  const struct Text content = TrimBlanks(line);
  if (content.size == 0 || content.data[0] == ';' || StartsWith(content, "Longitude")) {
    if (TrailerCount(content, &parsed->count)) parsed->kind = MKOV2_TRAILER;
    return;
  }

  const size_t comma1 = Find(line, ',', 0);
  const size_t comma2 = comma1 == SIZE_MAX ? SIZE_MAX : Find(line, ',', comma1 + 1);
  if (comma2 == SIZE_MAX) {
    Bad(parsed, "expected longitude, latitude and a name", kNoField);
    return;
  }

  /* The name stands in double quotes; AutoRoute CSV files may also hold a
   * bare one, which runs to the end of the line. It is found first, so that
   * a complaint about the numbers can name the POI. */
  struct Text name = TrimBlanks(Sub(line, comma2 + 1, line.size - comma2 - 1));
  const size_t open_quote = Find(line, '"', comma2 + 1);
  if (open_quote != SIZE_MAX) {
    size_t close_quote = line.size - 1;
    while (line.data[close_quote] != '"') --close_quote;
    if (close_quote == open_quote) {
      Bad(parsed, "the name has no closing double quote", kNoField);
      return;
    }
    name = Sub(line, open_quote + 1, close_quote - open_quote - 1);
  } else if (name.size == 0) {
    Bad(parsed, "the name is missing", kNoField);
    return;
  }

  int32_t lon = 0, lat = 0;
  const int good = Coordinate(Sub(line, 0, comma1), 180, 1, &lon, parsed) &&
                   Coordinate(Sub(line, comma1 + 1, comma2 - comma1 - 1), 90, 0, &lat, parsed);
  if (good && name.size > 0 && memchr(name.data, '\0', name.size) != NULL) {
    Bad(parsed, "the name contains a NUL byte, which an OV2 name cannot hold", kNoField);
  }
  parsed->record.name = name.data;
  parsed->record.name_size = name.size;
  if (parsed->kind == MKOV2_BAD) return;
  parsed->kind = MKOV2_RECORD;
  parsed->record.longitude = lon;
  parsed->record.latitude = lat;
}
