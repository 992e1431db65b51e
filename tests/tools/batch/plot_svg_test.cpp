// The SVG picture: well-formed XML that rsvg-convert renders, the group the
// desktop program selects, and a boundary and centre drawn where the
// selection puts them.
#include "tools/batch/plot_svg.h"

#include <expat.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "app/geo/circle.h"

namespace nodalux::batch {
namespace {

namespace fs = std::filesystem;

// The distance and the group as the desktop program's selection has them.
float SelectionDistance(float lat0, float lon0, float lat, float lon) {
  float dist = 0;
  geo::FLAT_EARTH(lat0, lon0, lat, lon, dist);
  return dist;
}

std::int32_t DesktopGroupSize(std::span<const PlotPoint> points, const PlotCircle& c) {
  std::int32_t group = 0;
  for (const PlotPoint& p : points) group += geo::Inside(c, p.latitude, p.longitude) ? 1 : 0;
  return group;
}

// --- Reading the SVG back ---------------------------------------------------

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;
};

struct Svg {
  std::vector<Element> elements;
  std::string error;  // empty when well-formed

  const Element* ById(std::string_view id) const {
    for (const Element& e : elements) {
      auto it = e.attributes.find("id");
      if (it != e.attributes.end() && it->second == id) return &e;
    }
    return nullptr;
  }
};

Svg ParseSvg(const std::string& text) {
  Svg svg;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  struct State {
    Svg* svg;
    std::vector<std::size_t> open;
  } state{&svg, {}};
  XML_SetUserData(parser, &state);
  XML_SetElementHandler(
      parser,
      [](void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& s = *static_cast<State*>(data);
        Element e{name, {}, {}};
        for (const XML_Char** a = attributes; *a; a += 2) e.attributes[a[0]] = a[1];
        s.open.push_back(s.svg->elements.size());
        s.svg->elements.push_back(std::move(e));
      },
      [](void* data, const XML_Char*) { static_cast<State*>(data)->open.pop_back(); });
  XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* chars, int length) {
    auto& s = *static_cast<State*>(data);
    if (!s.open.empty()) {
      s.svg->elements[s.open.back()].text.append(chars, static_cast<std::size_t>(length));
    }
  });
  if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), XML_TRUE) == XML_STATUS_ERROR) {
    svg.error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                std::to_string(XML_GetCurrentLineNumber(parser));
  }
  XML_ParserFree(parser);
  return svg;
}

// The points of a path made of M, L, H, V, h, v commands and Z, each
// starting a new point list entry.
struct Xy {
  double x, y;
};

std::vector<Xy> PathPoints(std::string_view d) {
  std::vector<Xy> points;
  Xy at{0, 0};
  std::size_t i = 0;
  const auto number = [&] {
    while (i < d.size() && (d[i] == ' ' || d[i] == '\n' || d[i] == ',')) ++i;
    double v = 0;
    const auto r = std::from_chars(d.data() + i, d.data() + d.size(), v);
    EXPECT_EQ(r.ec, std::errc()) << d.substr(i, 20);
    i = static_cast<std::size_t>(r.ptr - d.data());
    return v;
  };
  while (i < d.size()) {
    const char command = d[i++];
    switch (command) {
      case 'M':
      case 'L':
        at.x = number();
        at.y = number();
        points.push_back(at);
        break;
      case 'h':
        at.x += number();
        break;
      case 'v':
        at.y += number();
        break;
      case 'H':
        at.x = number();
        break;
      case 'V':
        at.y = number();
        break;
      case 'Z':
      case ' ':
      case '\n':
        break;
      default:
        ADD_FAILURE() << "path command " << command;
        return points;
    }
  }
  return points;
}

// --- Running rsvg-convert ----------------------------------------------------

struct Png {
  bool rendered = false;
  std::uint32_t width = 0, height = 0;
};

Png Render(const fs::path& svg) {
  Png png;
  const fs::path out = fs::path(svg).replace_extension(".png");
  const std::string command = "rsvg-convert -o '" + out.string() + "' '" + svg.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return png;
  std::ifstream file(out, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1A\n") != 0) return png;
  const auto be32 = [&](std::size_t at) {
    return (std::uint32_t{static_cast<unsigned char>(bytes[at])} << 24) |
           (std::uint32_t{static_cast<unsigned char>(bytes[at + 1])} << 16) |
           (std::uint32_t{static_cast<unsigned char>(bytes[at + 2])} << 8) |
           std::uint32_t{static_cast<unsigned char>(bytes[at + 3])};
  };
  png.rendered = true;
  png.width = be32(16);
  png.height = be32(20);
  return png;
}

bool HaveRsvg() { return std::system("command -v rsvg-convert >/dev/null 2>&1") == 0; }

// --- Helpers -----------------------------------------------------------------

bool Inside(const PlotCircle& c, double lat, double lon) {
  return geo::Inside(c, static_cast<float>(lat), static_cast<float>(lon));
}

// POI scattered around the circle, many of them near its edge.
std::vector<PlotPoint> Scatter(const PlotCircle& c, std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  const double north = SelectionDistance(c.latitude, c.longitude, c.latitude + 1, c.longitude);
  const double east = SelectionDistance(c.latitude, c.longitude, c.latitude, c.longitude + 1);
  std::vector<PlotPoint> pois;
  for (std::size_t i = 0; i < n; ++i) {
    const double angle = unit(random) * 2 * M_PI;
    const double r = c.radius_miles * geo::kMetresPerMile * (i % 3 == 0 ? 0.999 + 0.002 * unit(random)
                                                                   : 2 * unit(random));
    pois.push_back({static_cast<float>(c.longitude + r * std::cos(angle) / east),
                    static_cast<float>(c.latitude + r * std::sin(angle) / north)});
  }
  return pois;
}

// The nearest float position beyond `v` on the ray from the centre through
// it: each coordinate that changes along the ray has moved on.
PlotPoint NextOutward(const PlotCircle& c, const BoundaryPoint& v) {
  const double dlat = double{v.latitude} - c.latitude, dlon = double{v.longitude} - c.longitude;
  for (double k = 1e-9;; k *= 1.5) {
    const PlotPoint p{static_cast<float>(c.longitude + dlon * (1 + k)),
                      static_cast<float>(c.latitude + dlat * (1 + k))};
    if ((dlat == 0 || p.latitude != v.latitude) && (dlon == 0 || p.longitude != v.longitude)) {
      return p;
    }
  }
}

const PlotCircle kCircles[] = {
    {51.47604f, 0.0f, 30.0f},        // the default circle
    {-33.86f, 151.21f, 12.5f},       // south and east
    {0.0f, 0.0f, 70.0f},             // on the equator
    {71.0f, -8.0f, 250.0f},          // far north, wide
    {51.23804f, -0.78157f, 0.01f},   // tiny
    {10.0f, 179.9f, 40.0f},          // at the 180th meridian: no wrap
};

// --- The boundary ------------------------------------------------------------

TEST(PlotBoundary, EveryPointIsTheLastOneTheSelectionKeepsOnItsRay) {
  for (const PlotCircle& c : kCircles) {
    SCOPED_TRACE(std::to_string(c.latitude) + "," + std::to_string(c.longitude) + " r " +
                 std::to_string(c.radius_miles));
    const auto boundary = TraceBoundary(c);
    ASSERT_EQ(boundary.size(), 360u);
    for (const BoundaryPoint& v : boundary) {
      ASSERT_FALSE(v.open);
      ASSERT_TRUE(Inside(c, v.latitude, v.longitude));
      const PlotPoint beyond = NextOutward(c, v);
      ASSERT_FALSE(geo::Inside(c, beyond))
          << v.latitude << "," << v.longitude << " -> " << beyond.latitude << ","
          << beyond.longitude;
    }
  }
}

TEST(PlotBoundary, ExtremePointsAreWhereTheSelectionEnds) {
  for (const PlotCircle& c : kCircles) {
    SCOPED_TRACE(std::to_string(c.latitude) + "," + std::to_string(c.longitude));
    const auto boundary = TraceBoundary(c);
    const BoundaryPoint east = boundary[0], north = boundary[90], west = boundary[180],
                        south = boundary[270];
    // Straight north and south on the centre's meridian, east and west on its
    // parallel, each one float step short of leaving the group.
    EXPECT_EQ(north.longitude, c.longitude);
    EXPECT_EQ(south.longitude, c.longitude);
    EXPECT_EQ(east.latitude, c.latitude);
    EXPECT_EQ(west.latitude, c.latitude);
    EXPECT_TRUE(Inside(c, north.latitude, c.longitude));
    EXPECT_FALSE(Inside(c, std::nextafter(north.latitude, 1000.0f), c.longitude));
    EXPECT_TRUE(Inside(c, south.latitude, c.longitude));
    EXPECT_FALSE(Inside(c, std::nextafter(south.latitude, -1000.0f), c.longitude));
    EXPECT_TRUE(Inside(c, c.latitude, east.longitude));
    EXPECT_FALSE(Inside(c, c.latitude, std::nextafter(east.longitude, 1000.0f)));
    EXPECT_TRUE(Inside(c, c.latitude, west.longitude));
    EXPECT_FALSE(Inside(c, c.latitude, std::nextafter(west.longitude, -1000.0f)));
    // And they bound the whole curve.
    for (const BoundaryPoint& v : boundary) {
      EXPECT_LE(v.latitude, north.latitude);
      EXPECT_GE(v.latitude, south.latitude);
      EXPECT_LE(v.longitude, east.longitude);
      EXPECT_GE(v.longitude, west.longitude);
    }
  }
}

TEST(PlotBoundary, OddCircles) {
  // Nothing is selected: no curve at all.
  EXPECT_TRUE(TraceBoundary({51, 0, -1}).empty());
  EXPECT_TRUE(TraceBoundary({NAN, 0, 30}).empty());
  EXPECT_TRUE(TraceBoundary({51, 0, INFINITY}).empty());
  // Radius 0: the centre alone.
  for (const BoundaryPoint& v : TraceBoundary({51.5f, -0.1f, 0})) {
    EXPECT_EQ(v.latitude, 51.5f);
    EXPECT_EQ(v.longitude, -0.1f);
  }
  // At the pole every longitude is at distance 0 from the centre's
  // parallel: the east and west rays run off the map and say so.
  const auto pole = TraceBoundary({90, 0, 30});
  ASSERT_EQ(pole.size(), 360u);
  EXPECT_TRUE(pole[0].open);
  EXPECT_TRUE(pole[180].open);
  EXPECT_FALSE(pole[90].open);
  // A radius of half the earth traces without trouble.
  const auto huge = TraceBoundary({51, 0, 12450});
  ASSERT_EQ(huge.size(), 360u);
  for (const BoundaryPoint& v : huge) EXPECT_TRUE(Inside({51, 0, 12450}, v.latitude, v.longitude));
}

// --- The picture ---------------------------------------------------------------

class PlotSvgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_dir_ = fs::temp_directory_path() / ("plot_svg_test_" + std::to_string(::getpid()));
    fs::create_directories(temp_dir_);
  }
  void TearDown() override { fs::remove_all(temp_dir_); }

  fs::path Save(const std::string& svg, const std::string& name) {
    const fs::path path = temp_dir_ / name;
    std::ofstream(path, std::ios::binary) << svg;
    if (const char* keep = std::getenv("NODALUX_KEEP_PLOTS")) {
      fs::copy_file(path, fs::path(keep) / name, fs::copy_options::overwrite_existing);
    }
    return path;
  }

  fs::path temp_dir_;
};

TEST_F(PlotSvgTest, DrawsTheDesktopGroupAndTheSelectionBoundary) {
  for (const PlotCircle& c : kCircles) {
    const std::string tag = std::to_string(&c - kCircles);
    SCOPED_TRACE(tag);
    const std::vector<PlotPoint> pois = Scatter(c, 3000, 3);
    const PlotInput input{pois, c};
    const std::string text = PlotSvg(input);
    const Svg svg = ParseSvg(text);
    ASSERT_EQ(svg.error, "");
    ASSERT_EQ(svg.elements.front().name, "svg");
    EXPECT_EQ(svg.elements.front().attributes.at("xmlns"), "http://www.w3.org/2000/svg");
    EXPECT_EQ(svg.elements.front().attributes.at("version"), "1.1");
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);

    // The group is the desktop program's, to the POI.
    const std::int32_t group = DesktopGroupSize(pois, c);
    ASSERT_GT(group, 0);
    ASSERT_LT(group, static_cast<std::int32_t>(pois.size()));
    EXPECT_EQ(PathPoints(svg.ById("group")->attributes.at("d")).size(), static_cast<std::size_t>(group));
    EXPECT_EQ(PathPoints(svg.ById("outside")->attributes.at("d")).size(), pois.size() - group);
    EXPECT_EQ(svg.ById("title")->text,
              std::to_string(pois.size()) + " POI, " + std::to_string(group) + " in the group");

    // The centre and the curve, read back off the picture.
    const PlotGeometry g = LayOut(input, TraceBoundary(c));
    const auto centre = PathPoints(svg.ById("centre")->attributes.at("d"));
    ASSERT_EQ(centre.size(), 2u);
    EXPECT_NEAR(centre[0].x + 7, g.X(c.longitude), 0.006);
    EXPECT_NEAR(centre[1].y + 7, g.Y(c.latitude), 0.006);
    const auto curve = PathPoints(svg.ById("circle")->attributes.at("d"));
    ASSERT_EQ(curve.size(), 360u);
    // Just inside and just outside each drawn point: by 0.2 %, or by a few
    // float steps where the circle is so small that they matter.
    const auto boundary = TraceBoundary(c);
    const double step = std::nextafter(c.latitude, 1000.0f) - c.latitude;
    const double margin = 0.002 + 3 * step / (double{boundary[90].latitude} - c.latitude);
    for (const Xy& p : curve) {
      const double lat = g.Latitude(p.y), lon = g.Longitude(p.x);
      const double dlat = lat - c.latitude, dlon = lon - c.longitude;
      ASSERT_TRUE(Inside(c, c.latitude + (1 - margin) * dlat, c.longitude + (1 - margin) * dlon));
      ASSERT_FALSE(Inside(c, c.latitude + (1 + margin) * dlat, c.longitude + (1 + margin) * dlon));
    }
    // Its extreme points are the selection's, on the picture to the pixel's
    // hundredth.
    EXPECT_NEAR(curve[90].y, g.Y(boundary[90].latitude), 0.006);
    EXPECT_NEAR(curve[270].y, g.Y(boundary[270].latitude), 0.006);
    EXPECT_NEAR(curve[0].x, g.X(boundary[0].longitude), 0.006);
    EXPECT_NEAR(curve[180].x, g.X(boundary[180].longitude), 0.006);
    // A circle on the ground looks round: as wide as it is high.
    const double float_steps = 3 * step * (g.Y(0) - g.Y(1));
    EXPECT_NEAR(curve[0].x - curve[180].x, curve[270].y - curve[90].y,
                0.01 * (curve[0].x - curve[180].x) + float_steps);

    // Every point of the picture lies inside the frame.
    for (const char* id : {"group", "outside", "circle"}) {
      for (const Xy& p : PathPoints(svg.ById(id)->attributes.at("d"))) {
        ASSERT_GE(p.x, 90.0);
        ASSERT_LE(p.x, g.width() - 30.0);
        ASSERT_GE(p.y, 62.0);
        ASSERT_LE(p.y, g.height() - 88.0);
      }
    }

    if (HaveRsvg()) {
      const Png png = Render(Save(text, "plot_" + tag + ".svg"));
      EXPECT_TRUE(png.rendered);
      EXPECT_EQ(png.width, static_cast<std::uint32_t>(g.width()));
      EXPECT_EQ(png.height, static_cast<std::uint32_t>(g.height()));
    }
  }
}

// The degrees and miles the picture states agree with where it draws.
TEST_F(PlotSvgTest, AxesAndScaleBarTellTheTruth) {
  const PlotCircle c = kCircles[0];
  const std::vector<PlotPoint> pois = Scatter(c, 500, 9);
  const PlotInput input{pois, c};
  const Svg svg = ParseSvg(PlotSvg(input));
  ASSERT_EQ(svg.error, "");
  const PlotGeometry g = LayOut(input, TraceBoundary(c));

  std::size_t longitude_labels = 0, latitude_labels = 0;
  for (const Element& e : svg.elements) {
    const std::size_t degree = e.text.find("\u00B0");
    if (e.name != "text" || degree == std::string::npos) continue;
    double value = std::stod(e.text.substr(0, degree));
    const std::string hemisphere = e.text.substr(degree + 2);
    if (hemisphere == "W" || hemisphere == "S") value = -value;
    const double x = std::stod(e.attributes.at("x")), y = std::stod(e.attributes.at("y"));
    if (e.attributes.at("text-anchor") == "middle") {
      EXPECT_NEAR(x, g.X(value), 0.006) << e.text;
      ++longitude_labels;
    } else {
      EXPECT_NEAR(y - 4, g.Y(value), 0.006) << e.text;
      ++latitude_labels;
    }
  }
  EXPECT_GE(longitude_labels, 3u);
  EXPECT_GE(latitude_labels, 3u);

  const Element* scale = svg.ById("scale");
  ASSERT_NE(scale, nullptr);
  const Element* label = nullptr;
  const Element* bar = nullptr;
  for (std::size_t i = 0; i < svg.elements.size(); ++i) {
    if (&svg.elements[i] == scale) bar = &svg.elements[i + 1], label = &svg.elements[i + 2];
  }
  ASSERT_TRUE(bar && label);
  const auto ends = PathPoints(bar->attributes.at("d"));
  const double miles = std::stod(label->text);
  EXPECT_NE(label->text.find("miles"), std::string::npos);
  // The bar (M x y v4 H x2 v-4) measured on the ground at the centre's
  // latitude by the selection's own distance.
  const std::string& d = bar->attributes.at("d");
  const double bar_pixels = std::stod(d.substr(d.find('H') + 1)) - ends[0].x;
  const double ground =
      SelectionDistance(c.latitude, static_cast<float>(g.Longitude(ends[0].x)), c.latitude,
                        static_cast<float>(g.Longitude(ends[0].x + bar_pixels))) /
      geo::kMetresPerMile;
  EXPECT_NEAR(ground, miles, miles * 0.002);
}

TEST_F(PlotSvgTest, OddInputsStillGiveAPicture) {
  const float nan = NAN;
  struct Case {
    std::string name;
    std::vector<PlotPoint> pois;
    std::optional<PlotCircle> circle;
    std::string title;
  };
  const Case cases[] = {
      {"empty", {}, PlotCircle{51.47604f, 0, 30}, "0 POI, 0 in the group"},
      {"all kept", {{-0.1f, 51.5f}, {2.35f, 48.85f}}, std::nullopt, "2 POI, all kept"},
      {"nothing at all", {}, std::nullopt, "0 POI, all kept"},
      {"not numbers", {{nan, 51.5f}, {-0.1f, 51.5f}}, PlotCircle{51.5f, -0.1f, 1},
       "2 POI, 1 in the group"},
      {"radius 0 at a POI", {{-0.1f, 51.5f}}, PlotCircle{51.5f, -0.1f, 0},
       "1 POI, 1 in the group"},
      {"far away", {{170.0f, -40.0f}}, PlotCircle{51.5f, -0.1f, 30},
       "1 POI, 0 in the group"},
      {"at the pole", {{0, 89.9f}}, PlotCircle{90, 0, 30}, "1 POI, 1 in the group"},
      {"negative radius", {{0, 0}}, PlotCircle{0, 0, -1}, "1 POI, 0 in the group"},
      {"circle not numbers", {{0, 0}}, PlotCircle{nan, 0, 10}, "1 POI, 0 in the group"},
      {"a name in the title", {}, std::nullopt, "0 POI, all kept"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const PlotInput input{test.pois, test.circle};
    const std::string text = PlotSvg(input);
    const Svg svg = ParseSvg(text);
    ASSERT_EQ(svg.error, "");
    EXPECT_EQ(svg.ById("title")->text, test.title);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    if (HaveRsvg()) {
      std::string file = test.name;
      std::replace(file.begin(), file.end(), ' ', '_');
      EXPECT_TRUE(Render(Save(text, file + ".svg")).rendered);
    }
  }
}

TEST(PlotSvgOutput, ComesInBoundedPiecesThatMakeTheWhole) {
  const PlotCircle c = kCircles[0];
  const std::vector<PlotPoint> pois = Scatter(c, 30000, 4);
  const PlotInput input{pois, c};
  std::string joined;
  std::size_t largest = 0;
  WritePlotSvg(input, [&](std::string_view piece) {
    largest = std::max(largest, piece.size());
    joined += piece;
  });
  EXPECT_EQ(joined, PlotSvg(input));
  EXPECT_GT(joined.size(), 30000u * 15);
  EXPECT_LT(largest, 70u * 1024);
}

}  // namespace
}  // namespace nodalux::batch
