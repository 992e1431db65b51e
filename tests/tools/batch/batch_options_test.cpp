// The command line of nodalux-batch: what it takes, the one-line errors it
// gives, and help and manual page that name every option.
#include "tools/batch/batch_options.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace nodalux::batch {
namespace {

using encoding::NameEncoding;

CommandLine Parse(std::string_view line) {
  std::istringstream words{std::string(line)};
  std::vector<std::string> owned{std::istream_iterator<std::string>(words),
                                 std::istream_iterator<std::string>()};
  std::vector<std::string_view> args(owned.begin(), owned.end());
  CommandLine result = ParseCommandLine(args);
  return result;
}

std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

TEST(BatchOptions, TakesEveryOptionInEachSpelling) {
  for (std::string_view line :
       {"--centre 51.47604,-0.5 --radius 12.5 --encoding cp1252 --plot p.svg -o out.ov2 a.csv b.ov2",
        "--centre=N51.47604,W0.5 --radius=12.5 --encoding=CP1252 --plot=p.svg --output=out.ov2 "
        "a.csv b.ov2",
        "-c N51.47604,W0.5 -r12.5 --encoding windows-1252 --plot p.svg -oout.ov2 a.csv b.ov2",
        "a.csv --center n51.47604,w0.5 b.ov2 -r 12.5 --encoding cp1252 --plot p.svg -o out.ov2"}) {
    SCOPED_TRACE(line);
    const CommandLine parsed = Parse(line);
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.command, Command::kRun);
    const BatchOptions& o = parsed.options;
    ASSERT_TRUE(o.centre && o.radius_miles);
    EXPECT_EQ(Bits(o.centre->latitude), Bits(51.47604f));
    EXPECT_EQ(Bits(o.centre->longitude), Bits(-0.5f));
    EXPECT_EQ(*o.radius_miles, 12.5f);
    EXPECT_EQ(o.encoding, NameEncoding::kCp1252);
    EXPECT_EQ(o.plot, "p.svg");
    EXPECT_EQ(o.output, "out.ov2");
    EXPECT_EQ(o.inputs, (std::vector<std::string>{"a.csv", "b.ov2"}));
    EXPECT_FALSE(o.all || o.count);
  }
}

TEST(BatchOptions, Defaults) {
  const CommandLine parsed = Parse("-o out.csv in.csv");
  ASSERT_EQ(parsed.error, "");
  EXPECT_FALSE(parsed.options.centre);
  EXPECT_FALSE(parsed.options.radius_miles);
  EXPECT_EQ(parsed.options.encoding, NameEncoding::kAuto);
  EXPECT_FALSE(parsed.options.plot);
  EXPECT_FALSE(parsed.options.all || parsed.options.count);
}

TEST(BatchOptions, FlagsClustersAndTheEndOfOptions) {
  CommandLine parsed = Parse("-ao out.gpx -- -odd.csv --all");
  ASSERT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.options.all);
  EXPECT_EQ(parsed.options.output, "out.gpx");
  EXPECT_EQ(parsed.options.inputs, (std::vector<std::string>{"-odd.csv", "--all"}));

  parsed = Parse("--count --plot circle.SVG in.ov2");
  ASSERT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.options.count);
  EXPECT_FALSE(parsed.options.output);

  // The last of a repeated option counts.
  parsed = Parse("-r 5 -r 7 -o a.csv -o b.csv in.csv");
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.radius_miles, 7.0f);
  EXPECT_EQ(parsed.options.output, "b.csv");
}

TEST(BatchOptions, StandardOutputAndFormats) {
  EXPECT_EQ(Parse("-o - in.ov2").options.format, std::nullopt);
  EXPECT_EQ(Parse("-o - --format gpx in.ov2").options.format, FileFormat::kGpx);
  EXPECT_EQ(Parse("-o - --format GPX in.ov2").error, "");
  const BatchOptions named = Parse("-o out.GPX --format gpx in.ov2").options;
  EXPECT_EQ(FormatMismatch(named, "/home/me/out.GPX"), "");
  EXPECT_EQ(FormatMismatch(named, "/home/me/out.ov2"),
            "--format gpx does not match the output 'out.GPX', which names ov2 (--format is for -o -)");
  EXPECT_EQ(FormatMismatch(Parse("-o out.csv in.ov2").options, "/x/out.csv"), "");
}

// The desktop program's rule on full paths: the three characters after the
// last dot anywhere in the path. The test against the desktop program's own
// routine is in batch_desktop_test.
TEST(BatchOptions, FormatsFollowTheFullPath) {
  for (auto [name, format] : std::vector<std::pair<std::string, FileFormat>>{
           {"/m/a.ov2", FileFormat::kOv2},     {"/m/A.OV2", FileFormat::kOv2},
           {"/m/a.gpx", FileFormat::kGpx},     {"/m/a.Gpx", FileFormat::kGpx},
           {"/m/a.csv", FileFormat::kCsv},     {"/m/a.txt", FileFormat::kCsv},
           {"/m/a", FileFormat::kCsv},         {"/m/a.ov2x", FileFormat::kOv2},
           {"/m/dir.ov2/a", FileFormat::kOv2}, {"/m/dir/.ov2", FileFormat::kOv2},
           {"/m/a.ov2.csv", FileFormat::kCsv}, {"/m/a.", FileFormat::kCsv},
           {"ov2", FileFormat::kOv2},          {"/ov2", FileFormat::kCsv},
           {"/m/a.o v2", FileFormat::kCsv},    {"/m/a.\xc3\x96V2", FileFormat::kCsv}}) {
    EXPECT_EQ(FormatFromName(name), format) << name;
  }
  EXPECT_EQ(NameRoot("/maps/pubs.ov2"), "/maps/pubs");
  EXPECT_EQ(NameRoot("/data.ov2/pubs"), "/data");
  EXPECT_EQ(NameRoot("/maps/pubs"), "");
}

TEST(BatchOptions, CentreAndRadiusValues) {
  struct Row {
    std::string text;
    float latitude, longitude;
  };
  const Row good[] = {
      {"51.47604,-0.5", 51.47604f, -0.5f},  {"N51.47604,W0.5", 51.47604f, -0.5f},
      {"s33.86,e151.21", -33.86f, 151.21f}, {" -33.86 , +151.21 ", -33.86f, 151.21f},
      {"N 51,W 0", 51.0f, -0.0f},           {"90,180", 90.0f, 180.0f},
      {"-90,-180", -90.0f, -180.0f},        {".5,5.", 0.5f, 5.0f},
  };
  for (const Row& row : good) {
    SCOPED_TRACE(row.text);
    std::string error;
    const auto centre = ParseCentre(row.text, error);
    ASSERT_TRUE(centre) << error;
    EXPECT_EQ(Bits(centre->latitude), Bits(row.latitude));
    EXPECT_EQ(Bits(centre->longitude), Bits(row.longitude));
  }
  for (auto [text, value] : std::vector<std::pair<std::string, float>>{
           {"0", 0.0f}, {"30", 30.0f}, {"+12.5", 12.5f}, {"12450", 12450.0f}, {"0.01", 0.01f}}) {
    std::string error;
    EXPECT_EQ(ParseRadius(text, error), value) << text << ": " << error;
  }
}

TEST(BatchOptions, UsageErrorsSayWhatIsWrongInOneLine) {
  struct Row {
    std::string line;
    std::string error;
  };
  const Row rows[] = {
      {"", "no input file: name at least one"},
      {"-o out.csv", "no input file: name at least one"},
      {"in.csv", "no output: give -o FILE, -o - for standard output, or --count"},
      {"--bogus -o o in", "unknown option '--bogus'"},
      {"-x -o o in", "unknown option '-x'"},
      {"-o o in --radius", "option --radius needs a value"},
      {"-o o in -c", "option -c needs a value"},
      {"--all=yes -o o in", "option --all takes no value"},
      {"-c 51.5 -o o in", "-c: give the centre as LAT,LON: 51.47604,-0.5 or N51.47604,W0.5"},
      {"-c 1,2,3 -o o in", "-c: give the centre as LAT,LON: 51.47604,-0.5 or N51.47604,W0.5"},
      {"--centre N-51.5,W0.5 -o o in",
       "--centre: the latitude has both a hemisphere letter and a sign: give one"},
      {"--centre 51.5,E-0.5 -o o in",
       "--centre: the longitude has both a hemisphere letter and a sign: give one"},
      {"--centre W0.5,N51.5 -o o in",
       "--centre: the latitude 'W0.5' takes N or S (latitude comes first: LAT,LON)"},
      {"--centre 51.5,N0.5 -o o in",
       "--centre: the longitude 'N0.5' takes E or W (latitude comes first: LAT,LON)"},
      {"--centre 90.00001,0 -o o in", "--centre: the latitude '90.00001' is beyond 90 degrees"},
      {"--centre 0,-180.5 -o o in", "--centre: the longitude '-180.5' is beyond 180 degrees"},
      {"--centre nan,0 -o o in", "--centre: the latitude 'nan' is not a number of degrees"},
      {"--centre 0,inf -o o in", "--centre: the longitude 'inf' is not a number of degrees"},
      {"--centre 1e1,0 -o o in", "--centre: the latitude '1e1' is not a number of degrees"},
      {"--centre ,0 -o o in", "--centre: the latitude '' is not a number of degrees"},
      {"--centre 0x1,0 -o o in", "--centre: the latitude '0x1' is not a number of degrees"},
      {"-r -1 -o o in", "-r: the radius '-1' is negative"},
      {"-r nan -o o in", "-r: the radius 'nan' is not a number of miles"},
      {"-r 1,5 -o o in", "-r: the radius '1,5' is not a number of miles"},
      {"-r 12450.01 -o o in",
       "-r: the radius '12450.01' is more than 12450 miles (half way round the earth)"},
      {"--encoding latin1 -o o in", "--encoding: 'latin1' is not one of utf-8, cp1252, auto"},
      {"--format kml -o - in", "--format: 'kml' is not one of csv, ov2, gpx"},
      {"--all -r 5 -o o in", "--all keeps every POI: leave out --centre and --radius"},
      {"--count -o o in", "--count writes nothing: leave out -o"},
      {"--plot p.png -o o in", "--plot writes SVG: its file name must end in .svg"},
      {"--plot .svg -o o in", "--plot writes SVG: its file name must end in .svg"},
      {"-o - --format ov2 in", "OV2 cannot be written to standard output: name an .ov2 file with -o"},
      {"-o in.csv ./in.csv", "the output 'in.csv' is also an input"},
      {"-o x/../in.csv in.csv", "the output 'x/../in.csv' is also an input"},
      {"--plot in.svg -o o in.svg", "the plot 'in.svg' is also an input"},
      {"--plot o.svg -o o.svg in", "the plot and the output are the same file 'o.svg'"},
      {"-o o -", "standard input cannot be read: name the input files (their names give their "
                 "formats)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const CommandLine parsed = Parse(row.line);
    EXPECT_EQ(parsed.command, Command::kRun);
    EXPECT_EQ(parsed.error, row.error);
  }
  // Names with control characters stay on one line.
  const std::vector<std::string_view> args = {"-o", "a\nb", "a\nb"};
  EXPECT_EQ(ParseCommandLine(args).error, "the output 'a\\x0ab' is also an input");
  const std::vector<std::string_view> empty = {"-o", "", "in"};
  EXPECT_EQ(ParseCommandLine(empty).error, "the output file name is empty");
}

// x/.. is the folder above the one x leads to: through a link, that is
// another folder, and the names are different files.
TEST(BatchOptions, SameFileFollowsLinksAmongTheFolders) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(testing::TempDir()) / "batch_same_file";
  fs::remove_all(root);
  fs::create_directories(root / "real" / "sub");
  fs::create_directory_symlink(root / "real" / "sub", root / "x");
  const std::string in = (root / "in.csv").string();
  const std::string through_link = (root / "x" / ".." / "in.csv").string();  // real/in.csv
  const std::string real = (root / "real" / "in.csv").string();

  EXPECT_EQ(Parse("-o " + through_link + " " + in).error, "");
  EXPECT_EQ(Parse("-o " + real + " " + through_link).error,
            "the output '" + real + "' is also an input");
  EXPECT_EQ(Parse("--plot " + root.string() + "/real/p.svg -o o " + root.string() + "/x/../p.svg").error,
            "the plot '" + root.string() + "/real/p.svg' is also an input");
  fs::remove_all(root);
}

TEST(BatchOptions, HelpAndVersionWinOverEverythingElse) {
  EXPECT_EQ(Parse("--help").command, Command::kHelp);
  EXPECT_EQ(Parse("-o o in --bogus -h").command, Command::kHelp);
  EXPECT_EQ(Parse("-o o in --bogus -h").error, "");
  EXPECT_EQ(Parse("-V").command, Command::kVersion);
  EXPECT_EQ(Parse("--version --help").command, Command::kHelp);
  EXPECT_EQ(VersionText(), "nodalux-batch " NODALUX_VERSION "\n");
}

TEST(BatchOptions, HelpAndManualPageNameEveryOption) {
  std::ifstream file(NODALUX_BATCH_MAN_PAGE);
  const std::string man{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(man.empty());
  const std::string help = HelpText();
  for (const std::string& name : OptionNames()) {
    // troff writes "-" as "\-".
    std::string troff;
    for (char c : name) troff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(man.find(troff), std::string::npos) << name;
    if (name != "--center") {
      EXPECT_NE(help.find(name), std::string::npos) << name;
    }
  }
  // Help lines fit an 80-column terminal.
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
}

}  // namespace
}  // namespace nodalux::batch
