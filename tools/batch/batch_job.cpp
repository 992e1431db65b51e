#include "tools/batch/batch_job.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "app/formats/number_fields.h"
#include "app/geo/circle.h"
#include "toolkit/core/registry_store.h"
#include "toolkit/os/files.h"
#include "tools/batch/messages.h"
#include "tools/batch/read_inputs.h"
#include "tools/batch/stored_circle.h"
#include "tools/batch/write_outputs.h"
#include "tools/batch/write_ov2.h"

namespace nodalux::batch {
namespace {

namespace os = zarv::os;

std::string FullPath(const std::string& path, const std::string& current_folder) {
  if (path.starts_with('/') || current_folder.empty()) return path;
  return current_folder + (current_folder.ends_with('/') ? "" : "/") + path;
}

// 'name', for a usage message.
std::string Named(std::string_view name) { return "'" + OneLine(name) + "'"; }

// An output that exists and is not a file cannot be replaced by one.
bool WritableKind(const std::string& path, Messages& messages) {
  const os::Kind kind = os::KindOf(path);
  switch (kind) {
    case os::Kind::kMissing:
    case os::Kind::kRegular:
      return true;
    case os::Kind::kDirectory:
      messages.error(path, "Cannot create file: " + Reason(EISDIR));
      return false;
    default:
      messages.error(path, "Cannot write to something that is not a file: Only a file can hold POI.");
      return false;
  }
}

// The usage errors that only the files themselves reveal: an output that
// is also an input (under another name, or through a link).
std::string SameFileError(const BatchOptions& o) {
  for (const std::string& input : o.inputs) {
    if (o.output && *o.output != "-" && os::SameFile(*o.output, input)) {
      return "the output " + Named(*o.output) + " is also an input";
    }
    if (o.plot && os::SameFile(*o.plot, input)) return "the plot " + Named(*o.plot) + " is also an input";
  }
  if (o.plot && o.output && os::SameFile(*o.plot, *o.output)) {
    return "the plot and the output are the same file " + Named(*o.plot);
  }
  return {};
}

// The circle: what the command line gives, the rest as the desktop program
// stored it.
geo::Circle ChooseCircle(const BatchOptions& o, const JobSetting& setting) {
  geo::Circle circle{};
  if (!o.centre || !o.radius_miles) circle = ReadStoredCircle(setting.settings_store);
  if (o.centre) {
    circle.latitude = o.centre->latitude;
    circle.longitude = o.centre->longitude;
  }
  if (o.radius_miles) circle.radius_miles = *o.radius_miles;
  return circle;
}

// The indexes of the POI in the group, in reading order: those inside the
// circle by the desktop program's own test, or every one.
std::vector<std::uint32_t> SelectGroup(const PoiSet& set, const std::optional<geo::Circle>& circle) {
  std::vector<std::uint32_t> group;
  group.reserve(set.size());
  const std::optional<geo::CircleTest> test =
      circle ? std::optional<geo::CircleTest>(*circle) : std::nullopt;
  for (std::size_t i = 0; i < set.size(); ++i) {
    const PoiRef poi = set[i];
    if (!test || test->inside(poi.latitude, poi.longitude)) group.push_back(static_cast<std::uint32_t>(i));
  }
  return group;
}

// The circle as the desktop program's status bar shows it:
// "Centre: N  51.47604, E  0.00000, Radius: 30.00".
std::string CircleLine(const geo::Circle& c) {
  return std::string("Centre: ") + (c.latitude < 0 ? "S" : "N") + FixedField(std::abs(c.latitude), 10, 5) +
         ", " + (c.longitude < 0 ? "W" : "E") + FixedField(std::abs(c.longitude), 9, 5) +
         ", Radius:" + FixedField(c.radius_miles, 6, 2);
}

bool WriteCount(std::size_t count, int fd, Messages& messages) {
  if (const int error = os::WriteAll(os::Door(), fd, std::to_string(count) + "\n")) {
    messages.error("standard output", "Cannot write file: " + Reason(error));
    return false;
  }
  return true;
}

}  // namespace

JobSetting ProgramSetting(std::ostream& messages) {
  JobSetting setting;
  std::string self;
  if (os::Door().read_link("/proc/self/exe", &self) == 0) {
    setting.program_folder = std::string(os::FolderPart(self));
  }
  setting.settings_store = zarv::RegistryStore::DefaultPath();
  const char* temp = std::getenv("TMPDIR");
  setting.temp_folder = temp && *temp ? temp : "/tmp";
  os::Door().current_folder(&setting.current_folder);
  setting.messages = &messages;
  return setting;
}

int RunJob(const BatchOptions& o, const JobSetting& setting) {
  Messages messages(*setting.messages, o.verbose);
  const auto full = [&](const std::string& path) { return FullPath(path, setting.current_folder); };

  // What to write, and in which format; the usage errors first.
  const bool to_file = o.output && *o.output != "-";
  const std::string full_output = to_file ? full(*o.output) : std::string();
  const FileFormat out_format =
      !o.output ? FileFormat::kCsv : to_file ? FormatFromName(full_output) : o.format.value_or(FileFormat::kCsv);
  std::string usage = FormatMismatch(o, full_output);
  if (usage.empty()) usage = SameFileError(o);
  if (!usage.empty()) {
    messages.error({}, usage);
    return kUsage;
  }

  // What writing needs, before anything is read.
  const Ov2Tools tools = Ov2ToolsIn(setting.program_folder, setting.temp_folder);
  if (o.output && out_format == FileFormat::kOv2 && !CheckOv2Tools(tools, messages)) return kFailed;
  if (to_file && !WritableKind(*o.output, messages)) return kFailed;
  if (o.plot && !WritableKind(*o.plot, messages)) return kFailed;

  // An overlay's converter starts now and waits for the group, so its
  // start-up overlaps the reading. When it cannot start now, it is run as
  // usual once the group is known, and any failure is reported then.
  OutputFile plot, out;
  ConverterAhead converter;
  if (to_file && out_format == FileFormat::kOv2 && !o.count && out.begin(*o.output, messages) == 0) {
    converter.start(tools, out);
  }

  // Read every input, in order, into one set.
  PoiSet set;
  for (const std::string& input : o.inputs) {
    messages.note("Input from ... " + input);
    const std::size_t before = set.size();
    if (!ReadInput(input, FormatFromName(full(input)), set, messages)) return kFailed;
    messages.note(std::to_string(set.size() - before) + " points read");
  }

  // The group, as the desktop program selects it.
  std::optional<geo::Circle> circle;
  if (!o.all) circle = ChooseCircle(o, setting);
  const std::vector<std::uint32_t> group = SelectGroup(set, circle);

  if (circle) messages.note(CircleLine(*circle));
  messages.note("Number of POI in group: " + std::to_string(group.size()) + (circle ? "" : " (every POI kept)"));

  if (o.count && !WriteCount(group.size(), setting.standard_output, messages)) return kFailed;
  if (o.output && group.empty()) {
    messages.error(to_file ? *o.output : "standard output",
                   "Null subset: Nothing to output. Select a different input file or change "
                   "the group definition.");
    return kFailed;
  }

  // Everything is written out in full before any of it takes the place of
  // what was there.
  if (o.plot && !(plot.open(*o.plot, setting.standard_output, messages) &&
                  WritePlot(set, circle, plot))) {
    return kFailed;
  }
  SymbolFile symbol;
  if (o.output) {
    messages.note("Output to ... " + *o.output);
    NameConverter names(o.encoding);
    const auto write = [&] {
      switch (out_format) {
        case FileFormat::kCsv:
          return WriteCsv(set, group, names, out);
        case FileFormat::kGpx:
          return WriteGpx(set, group, names, out, messages);
        case FileFormat::kOv2: {
          // The symbol bitmap is copied while the converter works.
          const auto place_symbol = [&] { return symbol.place(full_output, tools, messages); };
          return converter.started()
                     ? converter.convert(set, group, names, out, messages, place_symbol)
                     : ConvertToOv2(set, group, names, tools, out, messages, place_symbol);
        }
      }
      return false;
    };
    const bool ready = converter.started() || out.open(*o.output, setting.standard_output, messages);
    if (!ready || !write()) {
      symbol.take_back();
      return kFailed;
    }
    names.report(to_file ? *o.output : "standard output", messages);
    // The output first: when the picture then cannot take its place, the
    // output is whole and the message says that the picture was not
    // written.
    if (!out.commit()) {
      symbol.take_back();
      return kFailed;
    }
    messages.note(std::to_string(group.size()) + " points written");
  }
  if (o.plot && !plot.commit()) return kFailed;
  return kDone;
}

}  // namespace nodalux::batch
