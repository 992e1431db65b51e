#include "app/ov2subs/temp_file.h"

#include "toolkit/core/command_line.h"

namespace nodalux::ov2 {

std::string ConverterCommand(std::string_view program_folder, std::string_view output_file) {
  std::string command(program_folder);
  command.append(kConverterName).append(" ").append(kTempFileName);
  command.append(" ").append(zarv::QuoteArgument(output_file));
  return command;
}

std::string SymbolFileName(std::string_view root) { return std::string(root) + ".bmp"; }

}  // namespace nodalux::ov2
