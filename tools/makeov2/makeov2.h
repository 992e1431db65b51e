/* The OV2 converter's workings, in C with nothing but the C library under
 * them, so that the program can be linked with whichever C library starts
 * fastest. The tests, benchmarks and fuzz targets call them from C++.
 *
 * Every function that can fail returns 0 or an errno value. */
#ifndef NODALUX_TOOLS_MAKEOV2_MAKEOV2_H
#define NODALUX_TOOLS_MAKEOV2_MAKEOV2_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Exit statuses ---- */

enum {
  MKOV2_OK = 0,
  MKOV2_FAILED = 1, /* nothing usable was written */
  MKOV2_USAGE = 2
};

/* ---- Where the input comes from ---- */

/* Up to `size` bytes into `buffer`; *got is 0 at the end. Returns 0 or an
 * errno value. */
struct mkov2_source {
  int (*read)(void *context, char *buffer, size_t size, size_t *got);
  void *context;
};

/* A source that reads the descriptor `*fd` (EINTR retried). */
struct mkov2_source mkov2_fd_source(int *fd);

/* ---- Lines ---- */

/* One line: it ends at a line feed, and a carriage return before the line
 * feed is not part of it. Only its first `max_length` bytes are kept; the
 * rest is passed over and `cut` says so. */
struct mkov2_line {
  const char *text; /* valid until the next line is asked for */
  size_t size;
  uint64_t number; /* 1 for the first line */
  int cut;
};

struct mkov2_line_reader;

/* NULL when there is no memory for it. */
struct mkov2_line_reader *mkov2_line_reader_new(struct mkov2_source source, size_t max_length);
void mkov2_line_reader_free(struct mkov2_line_reader *reader);
/* The next line; 0 at the end of the input or on a read error. */
int mkov2_next_line(struct mkov2_line_reader *reader, struct mkov2_line *line);
/* 0, or the errno value of the read that failed. */
int mkov2_line_reader_error(const struct mkov2_line_reader *reader);

/* ---- The POI and the OV2 file ---- */

/* A POI in the units of the OV2 file: 1/100000 degree. The name is raw
 * bytes without a NUL, owned by the caller. */
struct mkov2_record {
  int32_t longitude;
  int32_t latitude;
  const char *name;
  size_t name_size;
};

/* A leaf block holds at most this many POI. */
#define MKOV2_POI_PER_LEAF 25

/* The bytes of the OV2 file for `pois`: type-2 POI records grouped under
 * type-1 skipper records, so that a device can skip every block whose
 * bounding box lies off screen. Leaves are formed by halving the set along
 * its wider side after a stable sort along it; POI that tie keep their
 * input order. The records are reordered in place, to the order the file
 * holds them. *bytes is from malloc (NULL for no POI), for the caller to
 * free. EFBIG when the file would outgrow the 32-bit sizes of the format,
 * ENOMEM. */
int mkov2_encode(struct mkov2_record *pois, size_t count, char **bytes, size_t *size);

/* ---- The lines of the converter's input ---- */

/* The text file the OV2 writer hands to the converter: two comment lines,
 * one line per POI ("(F10.5)" longitude and latitude with their leading
 * blanks, the name in double quotes), and a count trailer
 * ";*    12 POI records written.". AutoRoute CSV files with their
 * "Longitude..." header are read too. */
enum mkov2_line_kind { MKOV2_SKIP, MKOV2_RECORD, MKOV2_TRAILER, MKOV2_BAD };

struct mkov2_temp_line {
  enum mkov2_line_kind kind;
  /* MKOV2_RECORD: the POI, its name pointing into the line. MKOV2_BAD: the
   * name too, when the line got as far as one. */
  struct mkov2_record record;
  long long count;   /* MKOV2_TRAILER: the number of POI records it says were written */
  const char *error; /* MKOV2_BAD: why the line was refused */
  const char *field; /* MKOV2_BAD: the text of the field at fault, if one is */
  size_t field_size;
};

/* Reads one line (without its line feed; a trailing carriage return is
 * ignored). Blank lines, comment lines and the CSV header are skipped; the
 * count trailer is told apart so that the converter can check it. */
void mkov2_parse_temp_line(const char *line, size_t size, struct mkov2_temp_line *parsed);

/* ---- Writing a file atomically ---- */

/* The file calls the atomic write makes, replaceable by tests that make
 * them fail. Each behaves as its POSIX namesake: -1 and errno on failure. */
struct mkov2_file_calls {
  int (*make_temp)(char *pattern); /* mkostemp(pattern, O_CLOEXEC) */
  long (*write)(int fd, const void *bytes, size_t size);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char *from, const char *to);
};

/* The calls in use: the system's unless a test put others in. */
extern const struct mkov2_file_calls *mkov2_calls;
extern const struct mkov2_file_calls mkov2_system_calls;

/* Writes `bytes` to `path` so that whoever looks at it sees the old file or
 * the whole new one: through a temporary file beside it, flushed to the
 * disk and renamed over it. Symbolic links in the last component are
 * followed (the file they name gets the new content); an existing file
 * keeps its permissions, a new one gets 0666 less the creation mask. A
 * folder is refused with EISDIR, a device or named pipe with EINVAL. On
 * failure the old file is as it was and no temporary file is left. */
int mkov2_write_atomically(const char *path, const char *bytes, size_t size);

/* ---- Messages ---- */

/* The text for an error number, in the words the rest of the program (on
 * the GNU C library) shows, whichever C library this was built with. */
const char *mkov2_error_text(int error);

/* Where the converter's complaints go, one whole line at a time. */
struct mkov2_sink {
  void (*write)(void *context, const char *text, size_t size);
  void *context;
};

/* ---- The converter ---- */

/* Converts the lines of `input` (named `input_name` in messages) and writes
 * the OV2 file `output_path` atomically: a failure leaves the old file as
 * it was. Bad lines are reported on `errors` with their line number, and
 * nothing is written. With `needs_trailer`, input without its closing count
 * line is taken for cut short (a writer that stopped half-way) and nothing
 * is written either. Returns an exit status. */
int mkov2_convert(const char *input_name, struct mkov2_source input, const char *output_path,
                  struct mkov2_sink errors, int needs_trailer);

/* The whole program: MakeOV2_v1-1 INPUT OUTPUT, INPUT "-" for standard
 * input, which must then end with the count line. */
int mkov2_run(int argc, const char *const *argv, struct mkov2_sink errors);

#ifdef __cplusplus
}
#endif

#endif
