// The command line of nodalux-batch:
//
//   nodalux-batch [--centre LAT,LON] [--radius MILES] [--all] [--encoding ENC]
//                 [--plot FILE.svg] [--count] [--format FMT] [--verbose]
//                 -o OUTPUT INPUT...
//
// Parsing gives a value and, for a usage error, one line saying what is
// wrong; nothing here touches a file.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/formats/encoding/name_encoding.h"

namespace nodalux::batch {

inline constexpr std::string_view kProgramName = "nodalux-batch";

// The largest radius taken: half way round the earth.
inline constexpr float kMaxRadiusMiles = 12450.0f;

enum class FileFormat { kCsv, kOv2, kGpx };

struct Centre {
  float latitude = 0.0f;   // signed degrees, north positive
  float longitude = 0.0f;  // signed degrees, east positive
};

struct BatchOptions {
  std::optional<Centre> centre;
  std::optional<float> radius_miles;
  bool all = false;
  encoding::NameEncoding encoding = encoding::NameEncoding::kAuto;
  std::optional<std::string> plot;
  bool count = false;
  bool verbose = false;
  std::optional<FileFormat> format;  // as given with --format
  std::optional<std::string> output;  // "-": standard output
  std::vector<std::string> inputs;
};

enum class Command { kRun, kHelp, kVersion };

struct CommandLine {
  Command command = Command::kRun;
  BatchOptions options;
  std::string error;  // a usage error, one line without the program's name
};

// `args` are the arguments after the program's name.
CommandLine ParseCommandLine(std::span<const std::string_view> args);

// The format a file's full path selects, by the desktop program's rule: the
// three characters after the last dot anywhere in the path (the first three
// of a path without a dot), A-Z in lower case: "ov2" is OV2, "gpx" GPX,
// anything else AutoRoute CSV. So "x.OV2" and "x.ov2x" are OV2, and so is
// "/maps.ov2/pubs".
FileFormat FormatFromName(std::string_view path);
// The path before its last dot, as the desktop program cuts it: where the
// symbol bitmap of an OV2 file goes ("/maps/pubs" for "/maps/pubs.ov2").
std::string_view NameRoot(std::string_view path);
std::string_view FormatName(FileFormat format);

// With --format and a named output: the usage error when the output's full
// path names another format, else empty.
std::string FormatMismatch(const BatchOptions& options, std::string_view full_output);

// The values of --centre and --radius; on failure `error` says why.
std::optional<Centre> ParseCentre(std::string_view text, std::string& error);
std::optional<float> ParseRadius(std::string_view text, std::string& error);

std::string HelpText();
std::string VersionText();

// Every option the parser takes, as "--long" and "-s", for checks that the
// help and the manual page name them all.
std::vector<std::string> OptionNames();

}  // namespace nodalux::batch
