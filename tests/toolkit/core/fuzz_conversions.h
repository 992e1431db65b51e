// Fuzz entry points for the list reader, the text-to-number parser and the
// formatter. Each takes arbitrary bytes, must never crash, and aborts on a
// broken invariant so that any fuzzer notices.
#pragma once

#include <cstddef>
#include <cstdint>

int FuzzListReader(const uint8_t* data, size_t size);
int FuzzTextToNumber(const uint8_t* data, size_t size);
int FuzzFormat(const uint8_t* data, size_t size);
