/* The converter program's memory, in place of the C library's allocator.
 * The program lives a millisecond and frees nothing it needs before it
 * ends, so blocks are cut one after the other from large mappings, which
 * the kernel fills with pages only where they are touched, and are given
 * back only when the program ends. A general allocator maps and unmaps its
 * larger blocks one by one, and unmapping flushes the processor's address
 * cache each time: a sixth of the program's time.
 *
 * Linked into the program built with musl only (the C library's own
 * allocator is then left out), and compiled with -fno-builtin-malloc, or
 * the compiler would turn calloc's malloc and memset into a call to calloc.
 * The tests and other builds keep the C library's allocator. */
#define _GNU_SOURCE
#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>

enum { ALIGNMENT = 16, PAGE = 4096 };
/* Address space taken at a time (a group of 30000 POI needs about 5 MiB);
 * only the pages written to cost memory. */
static const size_t kRegion = (size_t)8 << 20;

/* Each block starts with its size, padded to keep the block aligned. */
struct Header {
  size_t size;
  size_t unused;
};

static char *g_next; /* where the next block goes */
static char *g_end;  /* of the current mapping */
static struct Header *g_last; /* the newest block, which can grow or be taken back */

void *malloc(size_t size) {
  if (size > SIZE_MAX / 2) {
    errno = ENOMEM;
    return NULL;
  }
  size = (size + ALIGNMENT - 1) & ~(size_t)(ALIGNMENT - 1);
  const size_t need = sizeof(struct Header) + size;
  if ((size_t)(g_end - g_next) < need) {
    const size_t region = need > kRegion ? (need + PAGE - 1) & ~(size_t)(PAGE - 1) : kRegion;
    char *const mapped =
        mmap(NULL, region, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) {
      errno = ENOMEM;
      return NULL;
    }
    g_next = mapped;
    g_end = mapped + region;
  }
  g_last = (struct Header *)g_next;
  g_last->size = size;
  g_next += need;
  return g_last + 1;
}

void free(void *block) {
  if (block != NULL && (struct Header *)block - 1 == g_last) {
    g_next = (char *)g_last;
    g_last = NULL;
  }
}

void *calloc(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / 2 / size) {
    errno = ENOMEM;
    return NULL;
  }
  void *const block = malloc(count * size);
  /* A block taken back and given out again is not zero. */
  if (block != NULL) memset(block, 0, count * size);
  return block;
}

void *realloc(void *block, size_t size) {
  if (block == NULL) return malloc(size);
  struct Header *const header = (struct Header *)block - 1;
  if (size > SIZE_MAX / 2) {
    errno = ENOMEM;
    return NULL;
  }
  const size_t rounded = (size + ALIGNMENT - 1) & ~(size_t)(ALIGNMENT - 1);
  if (rounded <= header->size) return block;
  if (header == g_last && rounded - header->size <= (size_t)(g_end - g_next)) {
    /* The newest block grows where it stands. */
    g_next += rounded - header->size;
    header->size = rounded;
    return block;
  }
  void *const moved = malloc(size);
  if (moved == NULL) return NULL;
  memcpy(moved, block, header->size);
  free(block);
  return moved;
}
