// Fortran-style formatted output and list-directed input, the two number and
// text conventions that every stored or shown number of the program follows.
// gfortran is the reference these are tested against.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/core/text.h"

namespace zarv::fortran {

// Formatted output of one value with a parenthesised format of one edit
// descriptor, such as "(I11)", "(I2.2)", "(F10.5)", "(E12.4)", "(E12.4E3)",
// "(G15.5E2)". The result has the field width of the descriptor; a value that
// does not fit gives asterisks, as Fortran does. Empty when the format cannot
// be read or does not suit the value (an integer descriptor for a real, a
// real descriptor for an integer).
std::optional<std::string> WriteInteger(long long value, std::string_view format);
// `single` marks a 32-bit value (its exact binary value is formatted either
// way; single only matters where Fortran's defaults differ by kind).
std::optional<std::string> WriteReal(double value, std::string_view format, bool single = false);

// One list-directed input record (an internal file of one record): values
// separated by blanks, commas or tabs; null values; "/" ends the record's
// values; repeat counts "r*c" and "r*"; quoted strings in " or ' with the
// quote doubled inside; E and D exponents. The record is read where it lies:
// it must outlive the reader.
class ListReader {
 public:
  enum class Status {
    kValue,  // the target received a value
    kNull,   // a null value: the target is unchanged
    kSlash,  // a slash ended the values: this and all later targets unchanged
    kEnd,    // the record ended before this item (an end-of-file condition)
    kError,  // the value cannot be read as the target's type
  };

  // What a semicolon outside quotes is. gfortran takes it for a comma even
  // where the decimal character is the point; records that only ever
  // separate their values with commas and blanks refuse it, so that
  // "13,40495;52,52001" is an error rather than the values 13 and 40495.
  enum class Semicolon { kSeparator, kRefused };

  explicit ListReader(std::string_view record, Semicolon semicolon = Semicolon::kSeparator);

  Status read(int& value);
  Status read(float& value);
  Status read(double& value);
  Status read(TextSpan value);  // cut or blank-padded to the target's length

  // Where reading stands in the record (0-based), for diagnostics.
  std::size_t position() const;

 private:
  // What a value is read into; a repeated value may only be read again into
  // the same kind of target.
  enum class Target { kInteger, kReal4, kReal8, kCharacter };

  // The next value of the record for a target of `target`: its text (quotes
  // removed for a quoted string) or why there is none. The text lies in the
  // record or in quoted_, and stays valid until the next call.
  Status next(Target target, std::string_view& text);
  Status scanField(Target target, std::string_view& text);
  void skipBlanks();
  void skipSeparator();
  Status fail(Status status);

  std::string_view record_;
  bool semicolon_separates_;
  std::size_t pos_ = 0;
  std::string quoted_;          // a quoted string with doubled quotes inside
  long long repeat_left_ = 0;   // further uses of the last value or null
  std::string_view repeat_text_;
  bool repeat_null_ = false;
  Target repeat_target_ = Target::kInteger;
  std::optional<Status> finished_;  // kSlash, kEnd or kError: sticks
};

}  // namespace zarv::fortran
