// Fuzz entry point for the GPX reader: any bytes, read as a GPX file. Built
// into the normal test programs (replayed over a corpus) and into a
// libFuzzer program (gpx_libfuzzer.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace nodalux::gpx::testing {

// Reads `bytes` whole and again in small chunks of varying size, and checks
// what the reader promises: the same points and the same error either way;
// every point finite, in range, with a name of valid UTF-8 within the
// limit; and the points written as GPX read back exactly. Returns what was
// broken, or nothing.
std::optional<std::string> FuzzReadGpx(std::span<const std::uint8_t> bytes);

}  // namespace nodalux::gpx::testing
