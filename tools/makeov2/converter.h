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
// number and skipped.
int Convert(std::string_view input_name, nodalux::formats::ByteSource& input,
            const std::string& output_path, std::ostream& errors);

// Reads INPUT, writes OUTPUT: the whole program.
int RunConverter(int argc, const char* const* argv, std::ostream& errors);

}  // namespace makeov2
