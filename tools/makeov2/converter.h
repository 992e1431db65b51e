// The converter as a whole: input text in, OV2 file out, complaints to a
// stream. main() only hands over its arguments.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "app/formats/byte_source.h"

namespace makeov2 {

enum ExitCode : int {
  kOk = 0,
  kFailed = 1,  // nothing usable was written
  kUsage = 2,
};

// Converts the lines of `input` (named `input_name` in messages) and
// writes the OV2 file `output_path` atomically: a failure leaves the old
// file as it was. Bad lines are reported on `errors` with their line
// number, and nothing is written. With `needs_trailer`, input without its
// closing count line is taken for cut short (a writer that stopped
// half-way) and nothing is written either.
int Convert(std::string_view input_name, nodalux::formats::ByteSource& input,
            const std::string& output_path, std::ostream& errors, bool needs_trailer = false);

// Reads INPUT ("-": standard input, which must end with the count line),
// writes OUTPUT: the whole program.
int RunConverter(int argc, const char* const* argv, std::ostream& errors);

}  // namespace makeov2
