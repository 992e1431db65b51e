// Writing the group as an OV2 overlay the way the desktop program does: the
// group goes into a temporary POI file, the converter MakeOV2_v1-1.exe from
// the program folder turns it into the overlay, and the default symbol
// bitmap is put beside the overlay unless a bitmap of its name is there.
// Unlike the desktop program, nothing is removed or replaced before the
// converter has succeeded: it writes the output's temporary file, which is
// checked to hold the whole group before it takes the overlay's place, and
// every temporary file is removed afterwards.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/os/os.h"
#include "tools/batch/write_outputs.h"

namespace nodalux::batch {

inline constexpr std::string_view kConverterFile = "MakeOV2_v1-1.exe";
inline constexpr std::string_view kConverterName = "MakeOV2_v1-1";
inline constexpr std::string_view kDefaultSymbolFile = "default_symbol.bmp";

struct Ov2Tools {
  std::string converter;       // the converter's full path
  std::string default_symbol;  // the default symbol bitmap's full path
  std::string temp_folder;     // where our temporary files go
};

// The tools in `program_folder` (which ends in '/').
Ov2Tools Ov2ToolsIn(std::string_view program_folder, std::string temp_folder);

// Whether the converter and the symbol bitmap are there; false after a
// message.
bool CheckOv2Tools(const Ov2Tools& tools, Messages& messages);

// Runs the converter on the group, writing the temporary file of `out`
// (which the caller commits), and runs `meanwhile` while it works. False,
// after a message, when `meanwhile` failed, or the converter failed or
// wrote an overlay that does not hold the whole group.
bool ConvertToOv2(const PoiSet& set, Group group, NameConverter& names, const Ov2Tools& tools,
                  OutputFile& out, Messages& messages, const std::function<bool()>& meanwhile);

// The converter started before the inputs are read, so that its start-up
// overlaps the reading; it waits for the group on a pipe. Dropped without
// convert(), it gets no more input (without the closing count line, so it
// writes nothing), and is waited for.
class ConverterAhead {
 public:
  ConverterAhead() = default;
  ConverterAhead(const ConverterAhead&) = delete;
  ConverterAhead& operator=(const ConverterAhead&) = delete;
  ~ConverterAhead();

  // Starts the converter writing the temporary file of `out`, which has
  // been begun. False, without a message, when it cannot start now: then
  // ConvertToOv2 runs it when the group is known, and says why if it fails.
  bool start(const Ov2Tools& tools, OutputFile& out);
  bool started() const { return process_ != nullptr; }
  // As ConvertToOv2, the group going down the pipe. Once only.
  bool convert(const PoiSet& set, Group group, NameConverter& names, OutputFile& out,
               Messages& messages, const std::function<bool()>& meanwhile);

 private:
  void abandon();

  std::unique_ptr<zarv::os::Process> process_;
  int pipe_ = -1;  // where its input is written
  std::string overlay_;
};

// The symbol bitmap beside an overlay: the overlay's full path up to its
// last dot, then ".bmp".
class SymbolFile {
 public:
  // Copies the default bitmap to the symbol file of `full_output` unless a
  // file of that name exists. False after a message.
  bool place(std::string_view full_output, const Ov2Tools& tools, Messages& messages);
  // Removes the bitmap place() made, if it made one.
  void take_back();

 private:
  std::string made_;
};

}  // namespace nodalux::batch
