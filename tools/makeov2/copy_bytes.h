/* A copy of a few bytes, such as a POI's name, made in place. The C
 * library's memcpy may be slow to start for so few: musl's moves them one
 * by one up to an aligned address and then in words, which for names of a
 * dozen bytes cost the converter more than reading their lines did. */
#ifndef NODALUX_TOOLS_MAKEOV2_COPY_BYTES_H
#define NODALUX_TOOLS_MAKEOV2_COPY_BYTES_H

#include <stdint.h>
#include <string.h>

static inline void CopyBytes(char *to, const char *from, size_t n) {
  if (n > 64) {
    memcpy(to, from, n);
  } else if (n >= 8) {
    /* Words of eight, the last one ending where the bytes end. A memcpy of
     * a size the compiler knows is one move. */
    uint64_t word;
    for (size_t at = 0; at + 8 < n; at += 8) {
      memcpy(&word, from + at, 8);
      memcpy(to + at, &word, 8);
    }
    memcpy(&word, from + n - 8, 8);
    memcpy(to + n - 8, &word, 8);
  } else if (n >= 4) {
    uint32_t first, last;
    memcpy(&first, from, 4);
    memcpy(&last, from + n - 4, 4);
    memcpy(to, &first, 4);
    memcpy(to + n - 4, &last, 4);
  } else if (n > 0) {
    const char first = from[0], middle = from[n / 2], last = from[n - 1];
    to[0] = first;
    to[n / 2] = middle;
    to[n - 1] = last;
  }
}

#endif
