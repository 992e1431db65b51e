// Throughput of the conversions, in nanoseconds per call. Prints numbers
// only; nothing here passes or fails on time.
#include <chrono>
#include <cstdio>
#include <string>

#include "toolkit/core/conversions.h"
#include "toolkit/core/fortran_io.h"

namespace {

template <typename Body>
void Measure(const char* name, int count, Body body) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) body(i);
  const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
  std::printf("%-28s %8.1f ns/call\n", name, took.count() / count);
}

volatile double sink;

}  // namespace

int main() {
  const int n = 200000;
  for (const char* format : {"(F10.5)", "(E12.4)", "(G15.5E2)", "(ES12.4)", "(EN12.4)", "(I11)"}) {
    const std::string label = std::string("write ") + format;
    Measure(label.c_str(), n, [&](int i) {
      const double v = (i - n / 2) * 1.2345678;
      const auto s = format[1] == 'I' ? zarv::fortran::WriteInteger(i, format)
                                      : zarv::fortran::WriteReal(v, format);
      sink = static_cast<double>(s->size());
    });
  }
  Measure("ListReader 5 reals", n, [&](int) {
    zarv::fortran::ListReader reader("51.23804, -1.5e3 2*7.25 , 0.001");
    double d = 0;
    for (int k = 0; k < 5; ++k) reader.read(d);
    sink = d;
  });
  Measure("IStringToReal", n, [&](int) {
    float f = 0;
    IStringToReal("  -51.23804  ", f);
    sink = f;
  });
  Measure("IStringToInteger", n, [&](int) {
    int v = 0;
    IStringToInteger(" 123456 ", v);
    sink = v;
  });
  zarv::Text<16> text;
  Measure("IRealToString (F10.5)", n, [&](int i) {
    IRealToString(static_cast<float>(i) * 0.37f, text, "(F10.5)");
  });
  return 0;
}
