/* MakeOV2_v1-1 INPUT OUTPUT: turns the POI text file INPUT into the OV2
 * overlay OUTPUT. */
#include <errno.h>
#include <unistd.h>

#include "tools/makeov2/makeov2.h"

/* Each message is one write to standard error. */
static void WriteErrors(void *context, const char *text, size_t size) {
  (void)context;
  while (size > 0) {
    const ssize_t n = write(STDERR_FILENO, text, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text += n;
    size -= (size_t)n;
  }
}

int main(int argc, char **argv) {
  const struct mkov2_sink errors = {WriteErrors, NULL};
  return mkov2_run(argc, (const char *const *)argv, errors);
}
