// nodalux-batch: the Nodalux job from the command line. This build parses
// and checks its command line only: reading and writing POI files is not
// wired up yet, and the program says so instead of pretending to work.
#include <iostream>
#include <string_view>
#include <vector>

#include "tools/batch/batch_options.h"

int main(int argc, char** argv) {
  using namespace nodalux::batch;
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const CommandLine line = ParseCommandLine(args);
  switch (line.command) {
    case Command::kHelp:
      std::cout << HelpText();
      return std::cout.flush() ? 0 : 1;
    case Command::kVersion:
      std::cout << VersionText();
      return std::cout.flush() ? 0 : 1;
    case Command::kRun:
      break;
  }
  if (!line.error.empty()) {
    std::cerr << kProgramName << ": " << line.error << '\n';
    return 2;
  }
  // NOT WIRED YET: the job (read the inputs, select, write the output and
  // the plot) joins here once the format libraries and the OS layer exist.
  std::cerr << kProgramName
            << ": this build cannot read or write POI files yet; nothing was read or written\n";
  return 1;
}
