#include "tools/batch/batch_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

#include "tools/batch/messages.h"

#ifndef NODALUX_VERSION
#define NODALUX_VERSION "unknown"
#endif

namespace nodalux::batch {
namespace {

enum class Id { kCentre, kRadius, kAll, kEncoding, kPlot, kCount, kFormat, kOutput, kVerbose, kHelp, kVersion };

struct OptionSpec {
  std::string_view long_name;
  char short_name;  // 0: none
  bool takes_value;
  Id id;
};

constexpr OptionSpec kOptions[] = {
    {"centre", 'c', true, Id::kCentre},   {"center", 0, true, Id::kCentre},
    {"radius", 'r', true, Id::kRadius},   {"all", 'a', false, Id::kAll},
    {"encoding", 0, true, Id::kEncoding}, {"plot", 0, true, Id::kPlot},
    {"count", 0, false, Id::kCount},      {"format", 0, true, Id::kFormat},
    {"output", 'o', true, Id::kOutput},   {"verbose", 'v', false, Id::kVerbose},
    {"help", 'h', false, Id::kHelp},
    {"version", 'V', false, Id::kVersion},
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A name or value quoted for a one-line message: control characters and
// the quote itself shown as escapes, so the message stays one line.
std::string Quoted(std::string_view text) { return "'" + OneLine(text, "'\\") + "'"; }

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlank = " \t";
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

// Unsigned decimal digits with an optional decimal point: "51", "51.476",
// "0.5", ".5", "5.". No exponent, no "inf" or "nan".
bool IsPlainDecimal(std::string_view text) {
  std::size_t digits = 0, points = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return false;
    }
  }
  return digits > 0 && points <= 1;
}

// The value of a plain decimal, rounded once to float, and exactly (for
// range checks that must not be fooled by the rounding).
struct Decimal {
  float value = 0;
  double exact = 0;
};

std::optional<Decimal> ParsePlainDecimal(std::string_view text) {
  if (!IsPlainDecimal(text)) return std::nullopt;
  Decimal d;
  const char* end = text.data() + text.size();
  const auto e = std::from_chars(text.data(), end, d.exact);
  if (e.ec != std::errc() || e.ptr != end) return std::nullopt;
  const auto f = std::from_chars(text.data(), end, d.value);
  if (f.ptr != end) return std::nullopt;
  if (f.ec != std::errc()) d.value = static_cast<float>(d.exact);
  return d;
}

// One coordinate of --centre: a signed number or a hemisphere letter before
// an unsigned one. `positive` and `negative` are the letters it may take.
std::optional<float> ParseCoordinate(std::string_view part, const char* what, char positive,
                                     char negative, double limit, std::string& error) {
  part = Trim(part);
  const std::string as_given = Quoted(part);
  bool negate = false;
  const char letter = part.empty() ? 0 : static_cast<char>(std::toupper(part.front()));
  const bool has_letter = letter != 0 && std::string_view("NSEW").find(letter) != std::string_view::npos;
  if (has_letter) {
    if (letter != positive && letter != negative) {
      error = std::string("the ") + what + " " + as_given + " takes " + positive + " or " +
              negative + " (latitude comes first: LAT,LON)";
      return std::nullopt;
    }
    negate = letter == negative;
    part = Trim(part.substr(1));
    if (!part.empty() && (part.front() == '-' || part.front() == '+')) {
      error = std::string("the ") + what + " has both a hemisphere letter and a sign: give one";
      return std::nullopt;
    }
  } else if (!part.empty() && (part.front() == '-' || part.front() == '+')) {
    negate = part.front() == '-';
    part.remove_prefix(1);
  }
  const std::optional<Decimal> number = ParsePlainDecimal(part);
  if (!number) {
    error = std::string("the ") + what + " " + as_given + " is not a number of degrees";
    return std::nullopt;
  }
  if (number->exact > limit) {
    error = std::string("the ") + what + " " + as_given + " is beyond " +
            std::to_string(static_cast<int>(limit)) + " degrees";
    return std::nullopt;
  }
  return negate ? -number->value : number->value;
}

// The file a name reaches, as far as it can be known before anything is
// written: links among the folders that exist are followed (x/.. is the
// folder above the one x leads to), the rest is taken as written.
std::filesystem::path Reached(std::string_view name) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path absolute = fs::absolute(fs::path(name), error);
  if (error) return fs::path(name).lexically_normal();
  const fs::path real = fs::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : real;
}

bool SameFile(std::string_view a, std::string_view b) { return Reached(a) == Reached(b); }

bool EndsWithSvg(std::string_view name) {
  return name.size() > 4 && Lower(name.substr(name.size() - 4)) == ".svg";
}

// What is wrong with a complete set of options, or nothing.
std::string Check(const BatchOptions& o) {
  for (const std::string& input : o.inputs) {
    if (input.empty()) return "an input file name is empty";
    if (input == "-") {
      return "standard input cannot be read: name the input files (their names give their "
             "formats)";
    }
  }
  if (o.inputs.empty()) return "no input file: name at least one";
  if (o.count && o.output) return "--count writes nothing: leave out -o";
  if (!o.count && !o.output) {
    return "no output: give -o FILE, -o - for standard output, or --count";
  }
  if (o.output && o.output->empty()) return "the output file name is empty";
  if (o.all && (o.centre || o.radius_miles)) {
    return "--all keeps every POI: leave out --centre and --radius";
  }
  if (o.plot && !EndsWithSvg(*o.plot)) {
    return "--plot writes SVG: its file name must end in .svg";
  }
  if (o.output && *o.output == "-" && o.format == FileFormat::kOv2) {
    return "OV2 cannot be written to standard output: name an .ov2 file with -o";
  }
  for (const std::string& input : o.inputs) {
    if (o.output && *o.output != "-" && SameFile(*o.output, input)) {
      return "the output " + Quoted(*o.output) + " is also an input";
    }
    if (o.plot && SameFile(*o.plot, input)) return "the plot " + Quoted(*o.plot) + " is also an input";
  }
  if (o.plot && o.output && SameFile(*o.plot, *o.output)) {
    return "the plot and the output are the same file " + Quoted(*o.plot);
  }
  return {};
}

}  // namespace

FileFormat FormatFromName(std::string_view path) {
  // As the desktop program splits a name: after the last dot anywhere in
  // the path, or from the start when there is none; three characters, with
  // only A-Z lowered.
  const std::size_t dot = path.rfind('.');
  const std::size_t start = dot == std::string_view::npos ? 0 : dot + 1;
  std::string extension(path.substr(start, 3));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (extension == "ov2") return FileFormat::kOv2;
  if (extension == "gpx") return FileFormat::kGpx;
  return FileFormat::kCsv;
}

std::string_view NameRoot(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : path.substr(0, dot);
}

std::string_view FormatName(FileFormat format) {
  switch (format) {
    case FileFormat::kOv2:
      return "ov2";
    case FileFormat::kGpx:
      return "gpx";
    case FileFormat::kCsv:
      break;
  }
  return "csv";
}

std::string FormatMismatch(const BatchOptions& options, std::string_view full_output) {
  if (!options.format || !options.output || *options.output == "-") return {};
  const FileFormat named = FormatFromName(full_output);
  if (named == *options.format) return {};
  return "--format " + std::string(FormatName(*options.format)) + " does not match the output " +
         Quoted(*options.output) + ", which names " + std::string(FormatName(named)) +
         " (--format is for -o -)";
}

std::optional<Centre> ParseCentre(std::string_view text, std::string& error) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos) {
    error = "give the centre as LAT,LON: 51.47604,-0.5 or N51.47604,W0.5";
    return std::nullopt;
  }
  const auto latitude = ParseCoordinate(text.substr(0, comma), "latitude", 'N', 'S', 90, error);
  if (!latitude) return std::nullopt;
  const auto longitude =
      ParseCoordinate(text.substr(comma + 1), "longitude", 'E', 'W', 180, error);
  if (!longitude) return std::nullopt;
  return Centre{*latitude, *longitude};
}

std::optional<float> ParseRadius(std::string_view text, std::string& error) {
  text = Trim(text);
  if (!text.empty() && text.front() == '-') {
    error = "the radius " + Quoted(text) + " is negative";
    return std::nullopt;
  }
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const std::optional<Decimal> number = ParsePlainDecimal(text);
  if (!number) {
    error = "the radius " + Quoted(text) + " is not a number of miles";
    return std::nullopt;
  }
  if (number->exact > kMaxRadiusMiles) {
    error = "the radius " + Quoted(text) + " is more than " +
            std::to_string(static_cast<int>(kMaxRadiusMiles)) + " miles (half way round the earth)";
    return std::nullopt;
  }
  return number->value;
}

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
  CommandLine result;
  BatchOptions& o = result.options;
  bool help = false, version = false, options_ended = false;
  const auto fail = [&](std::string message) {
    if (result.error.empty()) result.error = std::move(message);
  };

  const auto apply = [&](const OptionSpec& spec, const std::string& typed, std::string_view value) {
    std::string why;
    switch (spec.id) {
      case Id::kCentre:
        if (auto centre = ParseCentre(value, why)) {
          o.centre = centre;
        } else {
          fail(typed + ": " + why);
        }
        break;
      case Id::kRadius:
        if (auto radius = ParseRadius(value, why)) {
          o.radius_miles = radius;
        } else {
          fail(typed + ": " + why);
        }
        break;
      case Id::kAll:
        o.all = true;
        break;
      case Id::kEncoding:
        if (auto encoding = encoding::ParseNameEncoding(value)) {
          o.encoding = *encoding;
        } else {
          fail(typed + ": " + Quoted(value) + " is not one of utf-8, cp1252, auto");
        }
        break;
      case Id::kPlot:
        o.plot = std::string(value);
        break;
      case Id::kCount:
        o.count = true;
        break;
      case Id::kFormat: {
        const std::string name = Lower(value);
        if (name == "csv") {
          o.format = FileFormat::kCsv;
        } else if (name == "ov2") {
          o.format = FileFormat::kOv2;
        } else if (name == "gpx") {
          o.format = FileFormat::kGpx;
        } else {
          fail(typed + ": " + Quoted(value) + " is not one of csv, ov2, gpx");
        }
        break;
      }
      case Id::kOutput:
        o.output = std::string(value);
        break;
      case Id::kVerbose:
        o.verbose = true;
        break;
      case Id::kHelp:
        help = true;
        break;
      case Id::kVersion:
        version = true;
        break;
    }
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options_ended || arg == "-" || !arg.starts_with('-')) {
      o.inputs.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg.starts_with("--")) {
      const std::size_t equals = arg.find('=');
      const std::string_view name = arg.substr(2, equals == std::string_view::npos ? arg.npos : equals - 2);
      const std::string typed = "--" + std::string(name);
      const auto spec = std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [&](const OptionSpec& s) { return s.long_name == name; });
      if (spec == std::end(kOptions)) {
        fail("unknown option " + Quoted(typed));
        continue;
      }
      if (!spec->takes_value) {
        if (equals != std::string_view::npos) fail("option " + typed + " takes no value");
        apply(*spec, typed, {});
      } else if (equals != std::string_view::npos) {
        apply(*spec, typed, arg.substr(equals + 1));
      } else if (i + 1 < args.size()) {
        apply(*spec, typed, args[++i]);
      } else {
        fail("option " + typed + " needs a value");
      }
      continue;
    }
    // A cluster of short options: flags, then at most one that takes the
    // rest of the cluster, or the next argument, as its value.
    for (std::size_t j = 1; j < arg.size(); ++j) {
      const std::string typed = std::string("-") + arg[j];
      const auto spec = std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [&](const OptionSpec& s) { return s.short_name == arg[j]; });
      if (spec == std::end(kOptions)) {
        fail("unknown option " + Quoted(typed));
        break;
      }
      if (!spec->takes_value) {
        apply(*spec, typed, {});
        continue;
      }
      if (j + 1 < arg.size()) {
        apply(*spec, typed, arg.substr(j + 1));
      } else if (i + 1 < args.size()) {
        apply(*spec, typed, args[++i]);
      } else {
        fail("option " + typed + " needs a value");
      }
      break;
    }
  }

  if (help) {
    result.command = Command::kHelp;
  } else if (version) {
    result.command = Command::kVersion;
  } else if (result.error.empty()) {
    result.error = Check(o);
  }
  if (result.command != Command::kRun) result.error.clear();
  return result;
}

std::string HelpText() {
  return R"(Usage: nodalux-batch [OPTION]... -o OUTPUT INPUT...
       nodalux-batch [OPTION]... --count INPUT...
Read POI files (AutoRoute CSV, TomTom OV2, GPX) into one set, keep the POI
inside a circle, and write them as AutoRoute CSV, OV2 or GPX.

  -c, --centre=LAT,LON  centre of the circle in decimal degrees, latitude
                        first, with signs or hemisphere letters:
                        51.47604,-0.5 or N51.47604,W0.5
  -r, --radius=MILES    radius of the circle in statute miles, 0 to 12450
  -a, --all             keep every POI: convert without selecting
      --encoding=ENC    how names in OV2 and CSV files are encoded:
                        utf-8, cp1252 or auto (default: auto, UTF-8 where
                        a name is valid UTF-8, else CP1252; written as UTF-8)
      --plot=FILE.svg   draw every POI, the group and the circle as SVG
      --count           print the number of POI in the group; write nothing
  -o, --output=OUTPUT   the file to write; its name gives the format: .ov2
                        OV2, .gpx GPX, anything else AutoRoute CSV;
                        - writes CSV (or GPX with --format) to standard output
      --format=FORMAT   csv, ov2 or gpx: the format of -o -
  -v, --verbose         tell what is read and written, as the desktop
                        program's window does
  -h, --help            show this help and exit
  -V, --version         show the version and exit

Inputs are read in order; the format of each follows its name as for -o
(as the desktop program decides: the three letters after the last dot of
the full path, so x.OV2 and x.ov2x are OV2 too). At most 30000 POI.
A centre or radius not given comes from the circle the Nodalux desktop
program stored, else from its default (51.47604,0.0 and 30 miles).

Exit status: 0 done, 1 an input could not be read, the group is empty or
an output could not be written (nothing is written then), 2 a usage error.
)";
}

std::vector<std::string> OptionNames() {
  std::vector<std::string> names;
  for (const OptionSpec& spec : kOptions) {
    names.push_back("--" + std::string(spec.long_name));
    if (spec.short_name) names.push_back(std::string("-") + spec.short_name);
  }
  return names;
}

std::string VersionText() { return std::string(kProgramName) + " " + NODALUX_VERSION + "\n"; }

}  // namespace nodalux::batch
