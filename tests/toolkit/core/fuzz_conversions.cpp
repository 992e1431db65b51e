#include "tests/toolkit/core/fuzz_conversions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "toolkit/core/conversions.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/fortran_io.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace

// The first byte picks the item list; the rest is the record.
int FuzzListReader(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view record = AsText(data + 1, size - 1);
  zarv::fortran::ListReader reader(record);
  unsigned pattern = data[0];
  for (int item = 0; item < 8; ++item, pattern = pattern * 5 + 1) {
    using Status = zarv::fortran::ListReader::Status;
    Status status = Status::kNull;
    switch (pattern % 4) {
      case 0: { int i = 0; status = reader.read(i); break; }
      case 1: { float f = 0; status = reader.read(f); break; }
      case 2: { double d = 0; status = reader.read(d); break; }
      default: {
        zarv::Text<8> text;
        status = reader.read(text.span());
        break;
      }
    }
    Require(reader.position() <= record.size());
    if (status == Status::kEnd || status == Status::kError || status == Status::kSlash) break;
  }
  return 0;
}

int FuzzTextToNumber(const uint8_t* data, size_t size) {
  const std::string_view text = AsText(data, size);
  int i = 0;
  float f = 0;
  double d = 0;
  IStringToInteger(text, i);
  if (zarv::InfoStatus(1) != 0) Require(i == 0);
  IStringToReal(text, f);
  if (zarv::InfoStatus(1) != 0) Require(f == 0.0f);
  Require(std::isfinite(f));
  IStringToReal8(text, d);
  if (zarv::InfoStatus(1) != 0) Require(d == 0.0);
  Require(std::isfinite(d));
  return 0;
}

// The first bytes are the value; the rest is the format.
int FuzzFormat(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  double value = 0;
  std::memcpy(&value, data, sizeof value);
  const std::string_view format = AsText(data + 8, size - 8);
  zarv::Text<24> text;
  IDoubleToString(value, text, format);
  IRealToString(static_cast<float>(value), text, format);
  long long bits = 0;
  std::memcpy(&bits, data, sizeof bits);
  IntegerToString(static_cast<int>(bits), text, format);
  zarv::InfoStatus(1);
  if (const auto written = zarv::fortran::WriteReal(value, format)) Require(!written->empty());
  return 0;
}
