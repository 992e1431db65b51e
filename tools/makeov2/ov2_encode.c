/* The OV2 file of a set of POI: blocks halved along their wider side, each
 * under a skipper record that holds its bounding box. */
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "tools/makeov2/copy_bytes.h"
#include "tools/makeov2/makeov2.h"

enum {
  SKIPPER = 1, /* type, size of the block, its box east, north, west, south */
  POI = 2,     /* type, length, longitude, latitude, the name ended by a NUL */
  SKIPPER_SIZE = 21,
  POI_HEADER = 13
};

static char *PutInt32(char *at, int32_t value) {
  const uint32_t bits = (uint32_t)value;
  for (int i = 0; i < 4; ++i) at[i] = (char)((bits >> (8 * i)) & 0xFF);
  return at + 4;
}

enum { DIGIT = 11, VALUES = 1 << DIGIT, MAX_DIGITS = (64 + DIGIT - 1) / DIGIT };

/* `order` becomes the indices of `keys` in the order of their keys, equal
 * keys in the order of their indices: a radix sort by digits of 11 bits,
 * from the lowest, of keys below 2^bits, passing over every digit all keys
 * share. `spare` is room for as many indices, `counts` for MAX_DIGITS *
 * VALUES counts. */
static void SortByKey(const uint64_t *keys, size_t n, int bits, uint32_t *order, uint32_t *spare,
                      uint32_t *counts) {
  const int digits = bits <= DIGIT ? 1 : (bits + DIGIT - 1) / DIGIT;
  memset(counts, 0, (size_t)digits * VALUES * sizeof *counts);
  for (size_t i = 0; i < n; ++i) order[i] = (uint32_t)i;
  for (size_t i = 0; i < n; ++i) {
    const uint64_t key = keys[i];
    for (int d = 0; d < digits; ++d) ++counts[(size_t)d * VALUES + ((key >> (DIGIT * d)) & (VALUES - 1))];
  }
  uint32_t *from = order;
  uint32_t *to = spare;
  for (int d = 0; d < digits; ++d) {
    uint32_t *const starts = counts + (size_t)d * VALUES;
    const int shift = DIGIT * d;
    if (starts[(keys[0] >> shift) & (VALUES - 1)] == n) continue;
    uint32_t start = 0;
    for (size_t value = 0; value < VALUES; ++value) {
      const uint32_t here = starts[value];
      starts[value] = start;
      start += here;
    }
    for (size_t i = 0; i < n; ++i) {
      const uint32_t index = from[i];
      to[starts[(keys[index] >> shift) & (VALUES - 1)]++] = index;
    }
    uint32_t *const swap = from;
    from = to;
    to = swap;
  }
  if (from != order) memcpy(order, from, n * sizeof *order);
}

/* The coordinates of a set of POI as keys for sorting: from 0 up, in as
 * few bits as their spread needs. */
struct Spread {
  int32_t low, high;
};

static uint64_t KeyOf(const struct Spread *s, int32_t value) { return (uint32_t)((int64_t)value - s->low); }

static int BitsOf(const struct Spread *s) {
  uint32_t range = (uint32_t)((int64_t)s->high - s->low);
  int bits = 0;
  while (range != 0) {
    ++bits;
    range >>= 1;
  }
  return bits;
}

/* How many blocks, skippers included, a set of `n` POI is cut into. */
static size_t BlockCount(size_t n) {
  if (n <= MKOV2_POI_PER_LEAF) return 1;
  return 1 + BlockCount(n / 2) + BlockCount(n - n / 2);
}

/* The order of a block's POI. The file's layout is that of halving each
 * block after a stable sort along its wider side, the halves then sorted
 * again in turn. A stable sort by one key of POI ordered by others orders
 * them by that key, then by the others, then by where they stood; with two
 * keys only, that is at most two keys and the position. So a block's POI
 * stand in one of five orders: as given (the whole set only), by one key,
 * or by both keys, in either case then as given. */
enum Key { NONE, LONGITUDE, LATITUDE };
struct Order {
  enum Key first; /* NONE: as given */
  enum Key second;
};

/* The order after a stable sort by `key` of POI in `order`. */
static struct Order ThenBy(struct Order order, enum Key key) {
  if (key == order.first) return order;
  struct Order sorted = {key, order.first};
  return sorted;
}

/* The encoder keeps the POI of every block in each order its blocks can
 * need, as lists of indices into the caller's records: by longitude then
 * latitude, by latitude then longitude, and, while halving has gone along
 * one side only, by that side's key alone. The lists of a block stand in
 * the same stretch of each list; halving a block splits one of them in the
 * middle and parts the others stably into the two halves' POI. So no block
 * is ever sorted, and a block's bounds are read off the ends of its lists. */
struct Encoder {
  const struct mkov2_record *records;
  size_t n;
  char *out;
  struct Spread longitudes, latitudes;
  uint32_t *by_both[3]; /* by LONGITUDE and LATITUDE first */
  uint32_t *by_one;
  uint8_t *side;        /* by record: 1 for the first half of the block being halved */
  uint32_t *parted;     /* room to part a list's stretch in, or to sort in */
  uint32_t *placed;     /* where each POI stands in the file: the caller's index of its record */
  uint64_t *keys;
  uint32_t *counts;     /* the radix sort's */
};

static const uint32_t *List(const struct Encoder *e, struct Order order) {
  return order.second == NONE ? e->by_one : e->by_both[order.first];
}

/* Parts the stretch [begin, end) of `list` stably: the POI of the first
 * half, by side, to [begin, middle), the others after them. */
static void Part(struct Encoder *e, uint32_t *list, size_t begin, size_t middle, size_t end) {
  /* Without a branch on the side, which is as good as random. */
  size_t first = begin;
  size_t second = middle;
  for (size_t i = begin; i < end; ++i) {
    const uint32_t poi = list[i];
    const size_t in_first = e->side[poi];
    const size_t mask = 0 - in_first;
    e->parted[(first & mask) | (second & ~mask)] = poi;
    first += in_first;
    second += 1 - in_first;
  }
  memcpy(list + begin, e->parted + begin, (end - begin) * sizeof *list);
}

static void Record(struct Encoder *e, size_t at, uint32_t index) {
  e->placed[at] = index;
  const struct mkov2_record *poi = &e->records[index];
  /* Written through a copy of the pointer, which the bytes written cannot
   * change, so that it is not read back after each of them. */
  char *out = e->out;
  *out++ = (char)POI;
  out = PutInt32(out, (int32_t)(POI_HEADER + poi->name_size + 1));
  out = PutInt32(out, poi->longitude);
  out = PutInt32(out, poi->latitude);
  CopyBytes(out, poi->name, poi->name_size);
  out += poi->name_size;
  *out++ = '\0';
  e->out = out;
}

/* Writes the skipper of the POI in [begin, end), which stand in `order`,
 * and the block it covers. Every size fits: the caller checked the whole
 * file's. */
static void Block(struct Encoder *e, size_t begin, size_t end, struct Order order) {
  const struct mkov2_record *records = e->records;
  const int32_t west = records[e->by_both[LONGITUDE][begin]].longitude;
  const int32_t east = records[e->by_both[LONGITUDE][end - 1]].longitude;
  const int32_t south = records[e->by_both[LATITUDE][begin]].latitude;
  const int32_t north = records[e->by_both[LATITUDE][end - 1]].latitude;

  char *const start = e->out;
  start[0] = (char)SKIPPER;
  /* The size, at start + 1, is set below. */
  PutInt32(start + 5, east);
  PutInt32(start + 9, north);
  PutInt32(start + 13, west);
  PutInt32(start + 17, south);
  e->out = start + SKIPPER_SIZE;

  if (end - begin <= MKOV2_POI_PER_LEAF) {
    const uint32_t *const list = order.first == NONE ? NULL : List(e, order);
    for (size_t i = begin; i < end; ++i) Record(e, i, list == NULL ? (uint32_t)i : list[i]);
  } else {
    /* Along the wider side; the first half is the POI that sort first. */
    const int64_t width = (int64_t)east - west;
    const int64_t height = (int64_t)north - south;
    const enum Key key = width >= height ? LONGITUDE : LATITUDE;
    const struct Order halves = ThenBy(order, key);
    if (order.first == NONE) {
      /* The whole set, by one key as given: a stable sort by it alone. */
      const struct Spread *spread = key == LONGITUDE ? &e->longitudes : &e->latitudes;
      for (size_t i = 0; i < e->n; ++i) {
        e->keys[i] = KeyOf(spread, key == LONGITUDE ? records[i].longitude : records[i].latitude);
      }
      SortByKey(e->keys, e->n, BitsOf(spread), e->by_one, e->parted, e->counts);
    }
    uint32_t *const split = (uint32_t *)List(e, halves);
    const size_t middle = begin + (end - begin) / 2;
    for (size_t i = begin; i < middle; ++i) e->side[split[i]] = 1;
    for (size_t i = middle; i < end; ++i) e->side[split[i]] = 0;
    uint32_t *const others[3] = {e->by_both[LONGITUDE], e->by_both[LATITUDE], e->by_one};
    for (int o = 0; o < 3; ++o) {
      if (others[o] == split || (others[o] == e->by_one && halves.second != NONE)) continue;
      Part(e, others[o], begin, middle, end);
    }
    Block(e, begin, middle, halves);
    Block(e, middle, end, halves);
  }
  PutInt32(start + 1, (int32_t)(e->out - start));
}

int mkov2_encode(struct mkov2_record *pois, size_t n, char **bytes, size_t *size) {
  *bytes = NULL;
  *size = 0;
  if (n == 0) return 0;
  if (n > UINT32_MAX) return EFBIG;
  /* The whole file's size: no block, and so no record, is larger. */
  size_t total = BlockCount(n) * SKIPPER_SIZE;
  for (size_t i = 0; i < n; ++i) {
    if (pois[i].name_size > INT32_MAX) return EFBIG;
    total += POI_HEADER + pois[i].name_size + 1;
    if (total > INT32_MAX) return EFBIG;
  }

  struct Encoder e = {pois, n, NULL, {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MIN}, {NULL, NULL, NULL},
                      NULL, NULL, NULL, NULL, NULL, NULL};
  char *const file = malloc(total);
  e.by_both[LONGITUDE] = malloc(n * sizeof(uint32_t));
  e.by_both[LATITUDE] = malloc(n * sizeof(uint32_t));
  e.by_one = malloc(n * sizeof(uint32_t));
  e.side = malloc(n);
  e.parted = malloc(n * sizeof(uint32_t));
  e.placed = malloc(n * sizeof(uint32_t));
  e.keys = malloc(n * sizeof(uint64_t));
  e.counts = malloc(MAX_DIGITS * VALUES * sizeof(uint32_t));
  const int error = file == NULL || e.by_both[LONGITUDE] == NULL || e.by_both[LATITUDE] == NULL ||
                            e.by_one == NULL || e.side == NULL || e.parted == NULL || e.placed == NULL ||
                            e.keys == NULL || e.counts == NULL
                        ? ENOMEM
                        : 0;
  if (error == 0) {
    for (size_t i = 0; i < n; ++i) {
      if (pois[i].longitude < e.longitudes.low) e.longitudes.low = pois[i].longitude;
      if (pois[i].longitude > e.longitudes.high) e.longitudes.high = pois[i].longitude;
      if (pois[i].latitude < e.latitudes.low) e.latitudes.low = pois[i].latitude;
      if (pois[i].latitude > e.latitudes.high) e.latitudes.high = pois[i].latitude;
    }
    const int lon_bits = BitsOf(&e.longitudes);
    const int lat_bits = BitsOf(&e.latitudes);
    for (size_t i = 0; i < n; ++i) {
      e.keys[i] = KeyOf(&e.longitudes, pois[i].longitude) << lat_bits | KeyOf(&e.latitudes, pois[i].latitude);
    }
    SortByKey(e.keys, n, lon_bits + lat_bits, e.by_both[LONGITUDE], e.parted, e.counts);
    for (size_t i = 0; i < n; ++i) {
      e.keys[i] = KeyOf(&e.latitudes, pois[i].latitude) << lon_bits | KeyOf(&e.longitudes, pois[i].longitude);
    }
    SortByKey(e.keys, n, lon_bits + lat_bits, e.by_both[LATITUDE], e.parted, e.counts);
    e.out = file;
    const struct Order given = {NONE, NONE};
    Block(&e, 0, n, given);
  }
  if (error == 0) {
    /* The records in the order the file holds them, moved along each cycle
     * of the placing in turn, without a second copy of them all. */
    uint32_t *const placed = e.placed;
    for (size_t start = 0; start < n; ++start) {
      if (placed[start] == start) continue; /* in its place, or moved there */
      const struct mkov2_record first = pois[start];
      size_t at = start;
      while (placed[at] != start) {
        const size_t from = placed[at];
        pois[at] = pois[from];
        placed[at] = (uint32_t)at;
        at = from;
      }
      pois[at] = first;
      placed[at] = (uint32_t)at;
    }
    *bytes = file;
    *size = total;
  } else {
    free(file);
  }
  free(e.by_both[LONGITUDE]);
  free(e.by_both[LATITUDE]);
  free(e.by_one);
  free(e.side);
  free(e.parted);
  free(e.placed);
  free(e.keys);
  free(e.counts);
  return error;
}
