// Shared pieces of the fuzz targets.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

namespace nodalux::fuzz {

// Some entry points check their invariants with GoogleTest assertions.
// Outside a running test a failed assertion is only recorded; turn it into
// the abort that the fuzzer (and the replayer) notice.
inline void AbortOnFailedAssertion() {
  if (::testing::Test::HasFailure()) std::abort();
}

}  // namespace nodalux::fuzz
