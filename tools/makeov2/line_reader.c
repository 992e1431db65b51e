/* Lines read through one buffer of a fixed size, refilled as the reader
 * moves on, so that a file of any size needs the same memory. */
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "tools/makeov2/makeov2.h"

enum { CHUNK = 64 * 1024 };

struct mkov2_line_reader {
  struct mkov2_source source;
  size_t max_length;
  uint64_t number;
  char *buffer;    /* CHUNK bytes; those in [begin, end) are not yet consumed */
  size_t begin;
  size_t end;
  int ended;
  int error;
  char *long_line; /* the kept start of a line too long to hold */
};

static int ReadFd(void *context, char *buffer, size_t size, size_t *got) {
  const int fd = *(int *)context;
  ssize_t n;
  do {
    n = read(fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  *got = n < 0 ? 0 : (size_t)n;
  return n < 0 ? errno : 0;
}

struct mkov2_source mkov2_fd_source(int *fd) {
  struct mkov2_source source = {ReadFd, fd};
  return source;
}

struct mkov2_line_reader *mkov2_line_reader_new(struct mkov2_source source, size_t max_length) {
  struct mkov2_line_reader *reader = calloc(1, sizeof *reader);
  if (reader == NULL) return NULL;
  /* Not filled in first: every byte is read in before it is looked at. */
  reader->buffer = malloc(CHUNK);
  /* Room for the kept part and a carriage return, whose line feed may be
   * in the next chunk. */
  reader->max_length = max_length < CHUNK - 2 ? max_length : CHUNK - 2;
  reader->long_line = malloc(reader->max_length + 1);
  if (reader->buffer == NULL || reader->long_line == NULL) {
    mkov2_line_reader_free(reader);
    return NULL;
  }
  reader->source = source;
  return reader;
}

void mkov2_line_reader_free(struct mkov2_line_reader *reader) {
  if (reader == NULL) return;
  free(reader->buffer);
  free(reader->long_line);
  free(reader);
}

int mkov2_line_reader_error(const struct mkov2_line_reader *reader) { return reader->error; }

static void Consume(struct mkov2_line_reader *r, size_t n) {
  r->begin += n;
  if (r->begin == r->end) r->begin = r->end = 0;
}

/* Reads at least one more byte in; 0 at the end, on an error, or when the
 * buffer is full of bytes not yet consumed. */
static int More(struct mkov2_line_reader *r) {
  if (r->ended || r->error != 0) return 0;
  if (r->begin > 0 && r->end == CHUNK) {
    memmove(r->buffer, r->buffer + r->begin, r->end - r->begin);
    r->end -= r->begin;
    r->begin = 0;
  }
  if (r->end == CHUNK) return 0;
  size_t got = 0;
  r->error = r->source.read(r->source.context, r->buffer + r->end, CHUNK - r->end, &got);
  if (r->error != 0) return 0;
  if (got == 0) {
    r->ended = 1;
    return 0;
  }
  r->end += got;
  return 1;
}

int mkov2_next_line(struct mkov2_line_reader *r, struct mkov2_line *line) {
  line->number = ++r->number;
  line->cut = 0;
  size_t scanned = 0;
  for (;;) {
    const char *held = r->buffer + r->begin;
    const size_t held_size = r->end - r->begin;
    const char *lf = memchr(held + scanned, '\n', held_size - scanned);
    if (lf != NULL) {
      size_t length = (size_t)(lf - held);
      if (length > 0 && held[length - 1] == '\r') --length;
      line->text = held;
      line->size = length < r->max_length ? length : r->max_length;
      line->cut = length > r->max_length;
      /* The text stays valid: consuming moves no bytes. */
      Consume(r, (size_t)(lf - held) + 1);
      return 1;
    }
    if (held_size > r->max_length + 1) break; /* too long to hold: keep its start */
    scanned = held_size;
    if (!More(r)) {
      if (r->error != 0) return 0;
      if (r->end == r->begin) { /* More() may have moved the bytes */
        --r->number;
        return 0;
      }
      /* The last line, without a line feed. */
      size_t length = r->end - r->begin;
      if (r->buffer[r->begin + length - 1] == '\r') --length;
      line->text = r->buffer + r->begin;
      line->size = length < r->max_length ? length : r->max_length;
      line->cut = length > r->max_length;
      Consume(r, r->end - r->begin);
      return 1;
    }
  }

  /* A line longer than the bytes kept: keep its start, pass over the rest
   * up to its line feed. */
  memcpy(r->long_line, r->buffer + r->begin, r->max_length);
  line->text = r->long_line;
  line->size = r->max_length;
  line->cut = 1;
  for (;;) {
    const char *held = r->buffer + r->begin;
    const char *lf = memchr(held, '\n', r->end - r->begin);
    if (lf != NULL) {
      Consume(r, (size_t)(lf - held) + 1);
      return 1;
    }
    Consume(r, r->end - r->begin);
    if (!More(r)) return r->error == 0;
  }
}
