// nodalux-batch: the Nodalux job from the command line. Reads POI files
// into one set, keeps the POI inside a circle and writes them as AutoRoute
// CSV, OV2 or GPX; see nodalux-batch(1).
#include <exception>
#include <iostream>
#include <new>
#include <string_view>
#include <vector>

#include "tools/batch/batch_job.h"
#include "tools/batch/batch_options.h"

int main(int argc, char** argv) {
  using namespace nodalux::batch;
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const CommandLine line = ParseCommandLine(args);
  switch (line.command) {
    case Command::kHelp:
      std::cout << HelpText();
      return std::cout.flush() ? kDone : kFailed;
    case Command::kVersion:
      std::cout << VersionText();
      return std::cout.flush() ? kDone : kFailed;
    case Command::kRun:
      break;
  }
  if (!line.error.empty()) {
    std::cerr << kProgramName << ": " << line.error << '\n';
    return kUsage;
  }
  try {
    return RunJob(line.options, ProgramSetting(std::cerr));
  } catch (const std::bad_alloc&) {
    std::cerr << kProgramName << ": out of memory; nothing was written\n";
  } catch (const std::exception& e) {
    std::cerr << kProgramName << ": " << e.what() << "; nothing was written\n";
  }
  return kFailed;
}
