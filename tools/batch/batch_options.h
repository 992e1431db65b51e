// The command line of nodalux-batch:
//
//   nodalux-batch [--centre LAT,LON] [--radius MILES] [--all] [--encoding ENC]
//                 [--plot FILE.svg] [--count] [--format FMT] -o OUTPUT INPUT...
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

// The format a file name selects: ".ov2" OV2, ".gpx" GPX (in any case),
// anything else AutoRoute CSV, as the desktop program reads and writes.
FileFormat FormatFromName(std::string_view path);

// The format the output is written in: --format, else the output's name.
FileFormat OutputFormat(const BatchOptions& options);

// The values of --centre and --radius; on failure `error` says why.
std::optional<Centre> ParseCentre(std::string_view text, std::string& error);
std::optional<float> ParseRadius(std::string_view text, std::string& error);

std::string HelpText();
std::string VersionText();

// Every option the parser takes, as "--long" and "-s", for checks that the
// help and the manual page name them all.
std::vector<std::string> OptionNames();

}  // namespace nodalux::batch
