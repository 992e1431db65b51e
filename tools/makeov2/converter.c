/* The converter as a whole: input text in, OV2 file out, complaints to a
 * sink. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/makeov2/copy_bytes.h"
#include "tools/makeov2/makeov2.h"

/* Longer lines cannot be POI lines (a name keeps 128 bytes). */
enum { MAX_LINE = 16 * 1024 };
/* At most this many bad lines are named one by one; a summary follows. */
enum { LINES_NAMED = 10 };
/* Quoted texts in messages are cut to this many bytes. */
enum { QUOTE_BYTES = 60 };

/* ---- Messages ---- */

static const char kNoMemory[] = ": not enough memory to convert it; no OV2 file written";

/* One message, put together before it is written whole. */
struct Message {
  char *data;
  size_t size;
  size_t room;
  int failed; /* out of memory: what was put together is all there is */
};

static void Add(struct Message *m, const char *text, size_t size) {
  if (m->failed) return;
  if (m->room - m->size < size) {
    const size_t room = (m->room + size) * 2;
    char *data = realloc(m->data, room);
    if (data == NULL) {
      m->failed = 1;
      return;
    }
    m->data = data;
    m->room = room;
  }
  memcpy(m->data + m->size, text, size);
  m->size += size;
}

static void AddText(struct Message *m, const char *text) { Add(m, text, strlen(text)); }

static void AddNumber(struct Message *m, long long number) {
  char digits[24];
  const int n = snprintf(digits, sizeof digits, "%lld", number);
  Add(m, digits, (size_t)n);
}

/* "makeov2: NAME:LINE: ", the start of a message about one line. */
static void AddAtLine(struct Message *m, const char *name, uint64_t line) {
  AddText(m, "makeov2: ");
  AddText(m, name);
  AddText(m, ":");
  AddNumber(m, (long long)line);
  AddText(m, ": ");
}

/* A text from the input as a message shows it: cut short, on one line. */
static void AddShown(struct Message *m, const char *text, size_t size) {
  char shown[QUOTE_BYTES] = {0};
  const size_t n = size < QUOTE_BYTES ? size : QUOTE_BYTES;
  for (size_t i = 0; i < n; ++i) shown[i] = (unsigned char)text[i] < 32 ? '?' : text[i];
  Add(m, shown, n);
  if (size > QUOTE_BYTES) AddText(m, "...");
}

/* Hands the message to the sink whole, and starts the next one. */
static void Send(struct Message *m, struct mkov2_sink sink) {
  if (m->size > 0) sink.write(sink.context, m->data, m->size);
  m->size = 0;
  m->failed = 0;
}

/* "makeov2: " then the text, a second text (if any) and a line end: the
 * shape of most messages. */
static void Say(struct Message *m, struct mkov2_sink sink, const char *a, const char *b, const char *c) {
  AddText(m, "makeov2: ");
  AddText(m, a);
  if (b != NULL) AddText(m, b);
  if (c != NULL) AddText(m, c);
  AddText(m, "\n");
  Send(m, sink);
}

/* "makeov2: cannot read NAME: " and the text of `error`. */
static void SayWhy(struct Message *m, struct mkov2_sink sink, const char *what, const char *name, int error) {
  AddText(m, "makeov2: ");
  AddText(m, what);
  AddText(m, name);
  AddText(m, ": ");
  AddText(m, mkov2_error_text(error));
  AddText(m, "\n");
  Send(m, sink);
}

/* ---- The POI read so far ---- */

/* Their names are copied out of the reader's buffer into blocks that never
 * move, so that each record can point at its name as it is read, and the
 * records go to the encoder as they stand. */
struct NameBlock {
  struct NameBlock *previous;
  size_t room;
  size_t used;
  char bytes[];
};

struct Pois {
  struct mkov2_record *records;
  size_t count;
  size_t room;
  struct NameBlock *names; /* the newest block */
};

enum { NAME_BLOCK = 64 * 1024 };

static int AddPoi(struct Pois *pois, const struct mkov2_record *record) {
  if (pois->count == pois->room) {
    const size_t room = pois->room == 0 ? 4096 : pois->room * 2;
    struct mkov2_record *records = realloc(pois->records, room * sizeof *records);
    if (records == NULL) return ENOMEM;
    pois->records = records;
    pois->room = room;
  }
  struct mkov2_record *added = &pois->records[pois->count];
  *added = *record;
  if (record->name_size > 0) {
    struct NameBlock *block = pois->names;
    if (block == NULL || block->room - block->used < record->name_size) {
      const size_t room = record->name_size > NAME_BLOCK ? record->name_size : NAME_BLOCK;
      block = malloc(sizeof *block + room);
      if (block == NULL) return ENOMEM;
      block->previous = pois->names;
      block->room = room;
      block->used = 0;
      pois->names = block;
    }
    char *const at = block->bytes + block->used;
    CopyBytes(at, record->name, record->name_size);
    block->used += record->name_size;
    added->name = at;
  } else {
    added->name = NULL;
  }
  ++pois->count;
  return 0;
}

static void FreePois(struct Pois *pois) {
  free(pois->records);
  while (pois->names != NULL) {
    struct NameBlock *previous = pois->names->previous;
    free(pois->names);
    pois->names = previous;
  }
}

/* ---- The conversion ---- */

/* What is wrong with a refused line: the reason, the field at fault and the
 * POI it belongs to, as far as the line got. */
static void AddComplaint(struct Message *m, const struct mkov2_temp_line *parsed) {
  AddText(m, parsed->error);
  if (parsed->field_size > 0) {
    AddText(m, " (");
    AddShown(m, parsed->field, parsed->field_size);
    AddText(m, ")");
  }
  if (parsed->record.name_size > 0) {
    AddText(m, " in POI \"");
    AddShown(m, parsed->record.name, parsed->record.name_size);
    AddText(m, "\"");
  }
}

/* Reads every line into `pois`; returns an exit status, having said why
 * when it is not MKOV2_OK. */
static int ReadPois(const char *input_name, struct mkov2_line_reader *lines, struct Pois *pois,
                    struct mkov2_sink errors, int needs_trailer, struct Message *m) {
  struct mkov2_line line;
  long long bad_lines = 0;
  int have_trailer = 0;
  long long trailer_count = 0;
  uint64_t trailer_line = 0;
  /* Every line must become a POI of the file, or nothing is written: an
   * overlay that silently lacks some POI would pass for the whole group. */
  while (mkov2_next_line(lines, &line)) {
    struct mkov2_temp_line parsed;
    if (line.cut) {
      parsed.kind = MKOV2_BAD;
    } else {
      mkov2_parse_temp_line(line.text, line.size, &parsed);
    }
    switch (parsed.kind) {
      case MKOV2_RECORD:
        if (AddPoi(pois, &parsed.record) != 0) {
          Say(m, errors, input_name, kNoMemory, NULL);
          return MKOV2_FAILED;
        }
        break;
      case MKOV2_BAD:
        if (++bad_lines <= LINES_NAMED) {
          AddAtLine(m, input_name, line.number);
          if (line.cut) {
            AddText(m, "the line is too long");
          } else {
            AddComplaint(m, &parsed);
          }
          AddText(m, "\n");
          Send(m, errors);
        }
        break;
      case MKOV2_TRAILER:
        have_trailer = 1;
        trailer_count = parsed.count;
        trailer_line = line.number;
        break;
      case MKOV2_SKIP:
        break;
    }
  }
  if (mkov2_line_reader_error(lines) != 0) {
    SayWhy(m, errors, "cannot read ", input_name, mkov2_line_reader_error(lines));
    return MKOV2_FAILED;
  }
  if (bad_lines > 0) {
    AddText(m, "makeov2: ");
    AddText(m, input_name);
    AddText(m, ": ");
    AddNumber(m, bad_lines);
    AddText(m, bad_lines == 1 ? " line cannot" : " lines cannot");
    AddText(m, " be converted; no OV2 file written\n");
    Send(m, errors);
    return MKOV2_FAILED;
  }
  /* The count the writer put at the end must be the count read: a file cut
   * short, or lines broken apart, would otherwise lose POI unnoticed. */
  const long long count = (long long)pois->count;
  if (needs_trailer && !have_trailer) {
    Say(m, errors, input_name,
        ": the input ended before its closing count line; no OV2 file written", NULL);
    return MKOV2_FAILED;
  }
  if (have_trailer && trailer_count != count) {
    AddAtLine(m, input_name, trailer_line);
    AddText(m, "the file says ");
    AddNumber(m, trailer_count);
    AddText(m, " POI records were written, but it holds ");
    AddNumber(m, count);
    AddText(m, "; no OV2 file written\n");
    Send(m, errors);
    return MKOV2_FAILED;
  }
  if (count == 0) {
    Say(m, errors, input_name, ": no POI record to write", NULL);
    return MKOV2_FAILED;
  }
  return MKOV2_OK;
}

int mkov2_convert(const char *input_name, struct mkov2_source input, const char *output_path,
                  struct mkov2_sink errors, int needs_trailer) {
  struct Message m = {NULL, 0, 0, 0};
  struct Pois pois = {NULL, 0, 0, NULL};
  struct mkov2_line_reader *lines = mkov2_line_reader_new(input, MAX_LINE);
  int status = MKOV2_FAILED;
  if (lines == NULL) {
    Say(&m, errors, input_name, kNoMemory, NULL);
  } else {
    status = ReadPois(input_name, lines, &pois, errors, needs_trailer, &m);
    mkov2_line_reader_free(lines);
  }
  if (status == MKOV2_OK) {
    char *bytes = NULL;
    size_t size = 0;
    const int encoded = mkov2_encode(pois.records, pois.count, &bytes, &size);
    int written = 0;
    if (encoded == EFBIG) {
      Say(&m, errors, output_path, ": too large for an OV2 file", NULL);
    } else if (encoded != 0) {
      Say(&m, errors, input_name, kNoMemory, NULL);
    } else if ((written = mkov2_write_atomically(output_path, bytes, size)) != 0) {
      SayWhy(&m, errors, "cannot write ", output_path, written);
    }
    if (encoded != 0 || written != 0) status = MKOV2_FAILED;
    free(bytes);
  }
  FreePois(&pois);
  free(m.data);
  return status;
}

int mkov2_run(int argc, const char *const *argv, struct mkov2_sink errors) {
  struct Message m = {NULL, 0, 0, 0};
  if (argc != 3) {
    static const char kUsage[] =
        "usage: MakeOV2_v1-1 INPUT OUTPUT\n"
        "Converts a POI text file (longitude, latitude, \"name\" per line) into an OV2 overlay; "
        "INPUT - is standard input, which must end with the count line.\n";
    errors.write(errors.context, kUsage, sizeof kUsage - 1);
    return MKOV2_USAGE;
  }
  /* A program that pipes the POI in may stop half-way: only input that
   * ends with its count line is whole. */
  const int from_pipe = strcmp(argv[1], "-") == 0;
  const char *const input_name = from_pipe ? "standard input" : argv[1];
  int fd = STDIN_FILENO;
  if (!from_pipe) {
    /* Opening never waits: a named pipe without a writer opens at once,
     * and is then refused. */
    do {
      fd = open(input_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
  }
  struct stat info;
  const int error = fd < 0 ? errno : fstat(fd, &info) != 0 ? errno : 0;
  int status = MKOV2_FAILED;
  if (error != 0) {
    SayWhy(&m, errors, "cannot read ", input_name, error);
  } else if (!from_pipe && !S_ISREG(info.st_mode)) {
    Say(&m, errors, "cannot read ", input_name, ": not a file");
  } else {
    status = mkov2_convert(input_name, mkov2_fd_source(&fd), argv[2], errors, from_pipe);
  }
  if (!from_pipe && fd >= 0) close(fd);
  free(m.data);
  return status;
}
