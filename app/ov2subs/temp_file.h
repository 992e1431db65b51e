// What the OV2 writer hands to the converter: the temporary POI file's name
// and the command line that runs the converter on it.
#pragma once

#include <string>
#include <string_view>

namespace nodalux::ov2 {

inline constexpr std::string_view kTempFileName = "makeov2.tmp";
inline constexpr std::string_view kConverterName = "MakeOV2_v1-1";

// PROGRAM_FOLDER (unquoted: it may hold blanks, which IOsCommand resolves),
// the converter's name, the temporary file and the output path, quoted so
// that the converter receives exactly that path whatever it holds (quotes,
// backslashes, blanks, a leading '-').
std::string ConverterCommand(std::string_view program_folder, std::string_view output_file);

// The symbol bitmap that goes with an overlay whose name root is `root`.
std::string SymbolFileName(std::string_view root);

}  // namespace nodalux::ov2
