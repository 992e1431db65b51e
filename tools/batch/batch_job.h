// The whole job of nodalux-batch: read the inputs into one set, keep the POI
// inside the circle, and write the group, its count and its picture.
// Nothing is written unless every input was read whole, and an output is
// either written whole or left as it was.
#pragma once

#include <iosfwd>
#include <string>

#include "tools/batch/batch_options.h"

namespace nodalux::batch {

enum ExitStatus : int {
  kDone = 0,
  kFailed = 1,  // an input could not be read, or an output not written
  kUsage = 2,
};

// What the job needs from the world around it.
struct JobSetting {
  std::string program_folder;   // where the converter and the symbol bitmap are; ends in '/'
  std::string settings_store;   // the desktop program's settings store
  std::string temp_folder;      // for the converter's temporary files
  std::string current_folder;   // to make full paths of relative names
  int standard_output = 1;      // where -o - and --count write
  std::ostream* messages = nullptr;
};

// The setting of the running program: its own folder, the store named by
// $ZARVREGISTRY or $XDG_CONFIG_HOME, $TMPDIR (else /tmp).
JobSetting ProgramSetting(std::ostream& messages);

int RunJob(const BatchOptions& options, const JobSetting& setting);

}  // namespace nodalux::batch
