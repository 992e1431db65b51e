// Stand-ins for formatted output and list-directed input while they are
// still being written elsewhere; CMake adds this file only while needed.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "toolkit/core/conversions.h"
#include "toolkit/core/fortran_io.h"

namespace zarv::fortran {

struct ListReader::Impl {};
ListReader::ListReader(std::string_view record) : record_(record) {}
ListReader::Status ListReader::read(double& value) {
  std::size_t i = record_.find_first_not_of(" ,");
  if (i == std::string::npos) return Status::kEnd;
  std::size_t j = record_.find_first_of(" ,", i);
  std::string token = record_.substr(i, j == std::string::npos ? std::string::npos : j - i);
  char* end = nullptr;
  double v = std::strtod(token.c_str(), &end);
  if (end == token.c_str() || *end != '\0') return Status::kError;
  value = v;
  pos_ = j == std::string::npos ? record_.size() : j;
  return Status::kValue;
}

std::optional<std::string> WriteReal(double value, std::string_view format, bool) {
  int w = 0, d = 0;
  if (std::sscanf(std::string(format).c_str(), "(F%d.%d)", &w, &d) == 2) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%*.*f", w, d, value);
    if (static_cast<int>(std::string(buf).size()) > w) return std::string(static_cast<std::size_t>(w), '*');
    return std::string(buf);
  }
  char buf[128];
  std::snprintf(buf, sizeof buf, "%15.5G", value);
  return std::string(buf);
}

std::optional<std::string> WriteInteger(long long value, std::string_view format) {
  int w = 0;
  if (std::sscanf(std::string(format).c_str(), "(I%d)", &w) != 1) return std::nullopt;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%*lld", w, value);
  if (static_cast<int>(std::string(buf).size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(buf);
}

}  // namespace zarv::fortran

