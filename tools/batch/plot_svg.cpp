#include "tools/batch/plot_svg.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

namespace nodalux::batch {
namespace {

// Picture layout in pixels.
constexpr int kWidth = 800;
constexpr double kLeft = 90, kRight = 30, kTop = 62, kBottom = 88;
constexpr double kAreaWidth = kWidth - kLeft - kRight;
constexpr double kMinAreaHeight = 240, kMaxAreaHeight = 680;
// Smallest stretch of ground shown, in metres, so that a single point still
// gets a sensible picture.
constexpr double kMinExtentMetres = 200;

bool Finite(const PlotPoint& p) { return std::isfinite(p.latitude) && std::isfinite(p.longitude); }

bool Usable(const PlotCircle& c) {
  return std::isfinite(c.latitude) && std::isfinite(c.longitude) && std::isfinite(c.radius_miles);
}

// Metres per degree of latitude and of longitude at the centre, as the
// distance function has them. Near a pole the east-west figure goes to
// nothing; the map then gives up a true east-west scale rather than being
// stretched without end.
struct Scales {
  double north = 1;  // metres per degree of latitude
  double east = 1;   // metres per degree of longitude
  bool true_east = false;
};

float Distance(float lat0, float lon0, float lat, float lon) {
  float dist = 0;
  geo::FLAT_EARTH(lat0, lon0, lat, lon, dist);
  return dist;
}

Scales ScalesAt(float lat0, float lon0) {
  Scales s;
  const double north = Distance(lat0, lon0, lat0 + 1.0f, lon0);
  const double east = Distance(lat0, lon0, lat0, lon0 + 1.0f);
  if (std::isfinite(north) && north > 0) s.north = north;
  s.east = s.north;
  if (std::isfinite(east) && east >= s.north * 0.01 && east <= s.north * 100) {
    s.east = east;
    s.true_east = true;
  }
  return s;
}

struct Position {
  float latitude;
  float longitude;
  bool operator==(const Position&) const = default;
};

// "1", "2.5", "0.01": a number with the decimals a step of `step` needs.
int DecimalsFor(double step) {
  return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 9);
}

std::string Fixed(double value, int decimals) {
  std::array<char, 64> buffer;
  const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                               std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return "0";
  std::string text(buffer.data(), r.ptr);
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
    text.erase(0, 1);  // no "-0.00"
  }
  return text;
}

std::string Pixel(double v) { return Fixed(v, 2); }

// 1, 2 or 5 times a power of ten, close to `rough`.
double NiceStep(double rough) {
  if (!(rough > 0) || !std::isfinite(rough)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double f = rough / power;
  return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * power;
}

std::string Degrees(double value, int decimals, char positive, char negative) {
  std::string text = Fixed(std::abs(value), decimals);
  if (text.find_first_not_of("0.") == std::string::npos) return text + "\u00B0";
  return text + "\u00B0" + (value > 0 ? positive : negative);
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else {
      out += c;
    }
  }
  return out;
}

// Collects output and hands it to the sink in large pieces.
class Out {
 public:
  explicit Out(const std::function<void(std::string_view)>& sink) : sink_(sink) {}
  ~Out() { flush(); }
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;
  Out& operator<<(std::string_view text) {
    buffer_ += text;
    if (buffer_.size() >= 64 * 1024) flush();
    return *this;
  }
  void flush() {
    if (!buffer_.empty()) sink_(buffer_);
    buffer_.clear();
  }

 private:
  const std::function<void(std::string_view)>& sink_;
  std::string buffer_;
};

}  // namespace

bool InGroup(const PlotCircle& circle, const PlotPoint& point) {
  return geo::Inside(circle, point);
}

std::vector<BoundaryPoint> TraceBoundary(const PlotCircle& circle, int rays) {
  std::vector<BoundaryPoint> boundary;
  if (!Usable(circle) || rays <= 0) return boundary;
  const geo::CircleTest test(circle);
  const auto inside = [&](Position p) { return test.inside(p.latitude, p.longitude); };
  if (!inside({circle.latitude, circle.longitude})) return boundary;

  const Scales scales = ScalesAt(circle.latitude, circle.longitude);
  boundary.reserve(static_cast<std::size_t>(rays));
  for (int ray = 0; ray < rays; ++ray) {
    // Exact axes at the quarter turns, so that the extreme points are rays.
    double c = 1, s = 0;
    if (ray * 4 % rays == 0) {
      constexpr int kCos[] = {1, 0, -1, 0};
      const int quarter = ray * 4 / rays;
      c = kCos[quarter];
      s = kCos[(quarter + 3) % 4];
    } else {
      const double angle = 2 * std::numbers::pi * ray / rays;
      c = std::cos(angle);
      s = std::sin(angle);
    }
    const double north = s / scales.north;  // degrees per metre along the ray
    const double east = c / scales.east;
    const auto at = [&](double t) {
      return Position{static_cast<float>(circle.latitude + t * north),
                      static_cast<float>(circle.longitude + t * east)};
    };
    // Go no further than half a turn of latitude or a whole turn of longitude.
    double limit = std::numeric_limits<double>::infinity();
    if (north != 0) limit = std::min(limit, 180 / std::abs(north));
    if (east != 0) limit = std::min(limit, 360 / std::abs(east));

    double lo = 0;
    double hi = std::min(limit, std::max(1.0, 1.5 * circle.radius_miles * geo::kMetresPerMile));
    while (inside(at(hi)) && hi < limit) {
      lo = hi;
      hi = std::min(limit, hi * 2);
    }
    if (inside(at(hi))) {
      boundary.push_back({at(hi).latitude, at(hi).longitude, true});
      continue;
    }
    // Bisect down to neighbouring floats: `lo` kept, `hi` not.
    for (int step = 0; step < 200; ++step) {
      const double mid = lo + (hi - lo) / 2;
      if (!(mid > lo && mid < hi)) break;
      const Position p = at(mid);
      if (p == at(lo)) {
        lo = mid;
      } else if (p == at(hi)) {
        hi = mid;
      } else {
        (inside(p) ? lo : hi) = mid;
      }
    }
    boundary.push_back({at(lo).latitude, at(lo).longitude, false});
  }
  return boundary;
}

PlotGeometry LayOut(const PlotInput& input, std::span<const BoundaryPoint> boundary) {
  // The point the map is centred on for its scales: the circle's centre, or
  // the middle of the POI.
  double min_lat = std::numeric_limits<double>::infinity(), max_lat = -min_lat;
  double min_lon = min_lat, max_lon = -min_lat;
  const auto take = [&](double lat, double lon) {
    min_lat = std::min(min_lat, lat), max_lat = std::max(max_lat, lat);
    min_lon = std::min(min_lon, lon), max_lon = std::max(max_lon, lon);
  };
  for (const PlotPoint& p : input.points) {
    if (Finite(p)) take(p.latitude, p.longitude);
  }
  const bool circle = input.circle && Usable(*input.circle);
  if (circle) take(input.circle->latitude, input.circle->longitude);
  for (const BoundaryPoint& b : boundary) take(b.latitude, b.longitude);
  if (min_lat > max_lat) min_lat = max_lat = min_lon = max_lon = 0;

  PlotGeometry g;
  g.lat0_ = circle ? input.circle->latitude : (min_lat + max_lat) / 2;
  g.lon0_ = circle ? input.circle->longitude : (min_lon + max_lon) / 2;
  const Scales scales = ScalesAt(static_cast<float>(g.lat0_), static_cast<float>(g.lon0_));

  // The ground covered, in metres from the map's centre.
  double west = (min_lon - g.lon0_) * scales.east, east = (max_lon - g.lon0_) * scales.east;
  double south = (min_lat - g.lat0_) * scales.north, north = (max_lat - g.lat0_) * scales.north;
  const auto widen = [](double& lo, double& hi, double at_least) {
    const double grow = std::max(0.0, at_least - (hi - lo)) / 2;
    lo -= grow, hi += grow;
    const double pad = (hi - lo) * 0.05;
    lo -= pad, hi += pad;
  };
  const double span = std::max({east - west, north - south, kMinExtentMetres});
  widen(west, east, std::max(kMinExtentMetres, span * 0.1));
  widen(south, north, std::max(kMinExtentMetres, span * 0.1));

  const double area_height =
      std::clamp(kAreaWidth * (north - south) / (east - west), kMinAreaHeight, kMaxAreaHeight);
  const double pixels_per_metre = std::min(kAreaWidth / (east - west), area_height / (north - south));
  g.width_ = kWidth;
  g.height_ = static_cast<int>(std::ceil(kTop + area_height + kBottom));
  g.x_per_degree_ = scales.east * pixels_per_metre;
  g.y_per_degree_ = scales.north * pixels_per_metre;
  g.origin_x_ = kLeft + kAreaWidth / 2 - (west + east) / 2 * pixels_per_metre;
  g.origin_y_ = kTop + area_height / 2 + (south + north) / 2 * pixels_per_metre;
  g.pixels_per_mile_ = scales.true_east ? geo::kMetresPerMile * pixels_per_metre : 0;
  return g;
}

namespace {

void WriteAxes(Out& out, const PlotGeometry& g) {
  const double left = kLeft, right = kWidth - kRight;
  const double top = kTop, bottom = g.height() - kBottom;
  out << "<g id=\"axes\" font-family=\"sans-serif\" font-size=\"11\" fill=\"#333333\">\n";
  out << "<rect x=\"" << Pixel(left) << "\" y=\"" << Pixel(top) << "\" width=\""
      << Pixel(right - left) << "\" height=\"" << Pixel(bottom - top)
      << "\" fill=\"none\" stroke=\"#333333\" stroke-width=\"1\"/>\n";

  std::string grid, ticks;
  // Longitude along the bottom.
  const double lon_lo = g.Longitude(left), lon_hi = g.Longitude(right);
  const double lon_step = NiceStep((lon_hi - lon_lo) / 6);
  const int lon_decimals = DecimalsFor(lon_step);
  for (double k = std::ceil(lon_lo / lon_step); k * lon_step <= lon_hi && k < 1e6; ++k) {
    const double lon = k * lon_step;
    const std::string x = Pixel(g.X(lon));
    grid += "M" + x + " " + Pixel(top) + "V" + Pixel(bottom);
    ticks += "M" + x + " " + Pixel(bottom) + "v5";
    out << "<text x=\"" << x << "\" y=\"" << Pixel(bottom + 18) << "\" text-anchor=\"middle\">"
        << Degrees(lon, lon_decimals, 'E', 'W') << "</text>\n";
  }
  // Latitude up the left side.
  const double lat_lo = g.Latitude(bottom), lat_hi = g.Latitude(top);
  const double lat_step = NiceStep((lat_hi - lat_lo) / 6);
  const int lat_decimals = DecimalsFor(lat_step);
  for (double k = std::ceil(lat_lo / lat_step); k * lat_step <= lat_hi && k < 1e6; ++k) {
    const double lat = k * lat_step;
    const std::string y = Pixel(g.Y(lat));
    grid += "M" + Pixel(left) + " " + y + "H" + Pixel(right);
    ticks += "M" + Pixel(left) + " " + y + "h-5";
    out << "<text x=\"" << Pixel(left - 8) << "\" y=\"" << Pixel(g.Y(lat) + 4)
        << "\" text-anchor=\"end\">" << Degrees(lat, lat_decimals, 'N', 'S') << "</text>\n";
  }
  out << "<path id=\"grid\" d=\"" << grid << "\" stroke=\"#e4e4e4\" stroke-width=\"1\"/>\n";
  out << "<path id=\"ticks\" d=\"" << ticks << "\" stroke=\"#333333\" stroke-width=\"1\"/>\n";
  out << "<text x=\"" << Pixel((left + right) / 2) << "\" y=\"" << Pixel(bottom + 36)
      << "\" text-anchor=\"middle\">longitude (degrees)</text>\n";
  out << "<text x=\"20\" y=\"" << Pixel((top + bottom) / 2) << "\" text-anchor=\"middle\" "
      << "transform=\"rotate(-90 20 " << Pixel((top + bottom) / 2)
      << ")\">latitude (degrees)</text>\n";
  out << "</g>\n";
}

void WriteScaleBar(Out& out, const PlotGeometry& g) {
  if (!(g.pixels_per_mile() > 0)) return;
  const double miles = NiceStep(kAreaWidth / 5 / g.pixels_per_mile());
  const double length = miles * g.pixels_per_mile();
  const double x = kLeft, y = g.height() - 22.0;
  const std::string label = Fixed(miles, DecimalsFor(miles)) + (miles == 1 ? " mile" : " miles");
  out << "<g id=\"scale\" font-family=\"sans-serif\" font-size=\"11\" fill=\"#333333\">\n"
      << "<path d=\"M" << Pixel(x) << " " << Pixel(y - 4) << "v4H" << Pixel(x + length) << "v-4"
      << "\" fill=\"none\" stroke=\"#333333\" stroke-width=\"1.5\"/>\n"
      << "<text x=\"" << Pixel(x + length + 6) << "\" y=\"" << Pixel(y + 1) << "\">" << label
      << "</text>\n</g>\n";
}

void WriteLegend(Out& out, const PlotGeometry& g, bool circle) {
  const double y = g.height() - 22.0;
  double x = kWidth - kRight - (circle ? 420 : 200);
  out << "<g id=\"legend\" font-family=\"sans-serif\" font-size=\"11\" fill=\"#333333\">\n";
  const auto entry = [&](std::string_view mark, std::string_view text, double width) {
    out << mark << "<text x=\"" << Pixel(x + 10) << "\" y=\"" << Pixel(y + 1) << "\">" << text
        << "</text>\n";
    x += width;
  };
  const auto dot = [&](std::string_view colour) {
    return "<circle cx=\"" + Pixel(x + 2) + "\" cy=\"" + Pixel(y - 3) + "\" r=\"2.5\" fill=\"" +
           std::string(colour) + "\"/>";
  };
  if (circle) {
    entry(dot("#d62728"), "in the group", 100);
    entry(dot("#9e9e9e"), "outside", 80);
    entry("<path d=\"M" + Pixel(x - 4) + " " + Pixel(y - 3) + "h12\" stroke=\"#1f77b4\" "
          "stroke-width=\"1.5\"/>",
          "selection boundary", 140);
    entry("<path d=\"M" + Pixel(x - 2) + " " + Pixel(y - 3) + "h8M" + Pixel(x + 2) + " " +
              Pixel(y - 7) + "v8\" stroke=\"#000000\" stroke-width=\"1.5\"/>",
          "centre", 60);
  } else {
    entry(dot("#d62728"), "every POI kept", 120);
  }
  out << "</g>\n";
}

}  // namespace

void WritePlotSvg(const PlotInput& input, const std::function<void(std::string_view)>& sink) {
  const bool circle = input.circle && Usable(*input.circle);
  const std::vector<BoundaryPoint> boundary =
      circle ? TraceBoundary(*input.circle) : std::vector<BoundaryPoint>{};
  const PlotGeometry g = LayOut(input, boundary);

  // A POI is in the group when the selection would keep it; with no circle
  // every POI is kept.
  std::optional<geo::CircleTest> test;
  if (input.circle) test.emplace(*input.circle);
  const auto kept = [&](const PlotPoint& p) { return !test || test->inside(p.latitude, p.longitude); };
  std::size_t in_group = 0, not_drawn = 0;
  for (const PlotPoint& p : input.points) {
    in_group += kept(p) ? 1 : 0;
    not_drawn += Finite(p) ? 0 : 1;
  }

  std::string title = std::to_string(input.points.size()) + " POI, ";
  title += input.circle ? std::to_string(in_group) + " in the group" : "all kept";
  std::string subtitle;
  if (input.circle) {
    const PlotCircle& c = *input.circle;
    subtitle = "centre " + std::string(c.latitude < 0 ? "S" : "N") +
               Fixed(std::abs(c.latitude), 5) + " " + (c.longitude < 0 ? "W" : "E") +
               Fixed(std::abs(c.longitude), 5) + ", radius " + Fixed(c.radius_miles, 2) +
               " miles";
    if (!circle) subtitle = "the circle is not a set of numbers: nothing is selected";
  }
  if (not_drawn > 0) {
    subtitle += (subtitle.empty() ? "" : "; ") + std::to_string(not_drawn) +
                " POI not drawn: coordinates that are not numbers";
  }

  Out out(sink);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\""
      << std::to_string(g.width()) << "\" height=\"" << std::to_string(g.height())
      << "\" viewBox=\"0 0 " << std::to_string(g.width()) << " " << std::to_string(g.height())
      << "\">\n"
      << "<title>" << Escaped(title) << "</title>\n"
      << "<rect width=\"" << std::to_string(g.width()) << "\" height=\""
      << std::to_string(g.height()) << "\" fill=\"#ffffff\"/>\n";
  WriteAxes(out, g);

  // POI as dots: round caps on a short stroke. Outside first, the group on
  // top of them.
  for (const bool group : {false, true}) {
    out << "<path id=\"" << (group ? "group" : "outside") << "\" fill=\"none\" stroke=\""
        << (group ? "#d62728" : "#9e9e9e")
        << "\" stroke-width=\"4\" stroke-linecap=\"round\" d=\"";
    std::size_t n = 0;
    for (const PlotPoint& p : input.points) {
      if (!Finite(p) || kept(p) != group) continue;
      out << (n++ % 8 == 0 ? "\n" : " ") << "M" << Pixel(g.X(p.longitude)) << " "
          << Pixel(g.Y(p.latitude)) << "h0.01";
    }
    out << "\"/>\n";
  }

  if (circle) {
    if (!boundary.empty()) {
      out << "<path id=\"circle\" fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"1.5\" d=\"";
      for (std::size_t i = 0; i < boundary.size(); ++i) {
        out << (i == 0 ? "M" : i % 8 == 0 ? "\nL" : " L") << Pixel(g.X(boundary[i].longitude))
            << " " << Pixel(g.Y(boundary[i].latitude));
      }
      out << "Z\"/>\n";
    }
    const std::string x = Pixel(g.X(input.circle->longitude));
    const std::string y = Pixel(g.Y(input.circle->latitude));
    out << "<path id=\"centre\" d=\"M" << Pixel(g.X(input.circle->longitude) - 7) << " " << y
        << "h14M" << x << " " << Pixel(g.Y(input.circle->latitude) - 7)
        << "v14\" stroke=\"#000000\" stroke-width=\"1.5\"/>\n";
  }

  WriteScaleBar(out, g);
  WriteLegend(out, g, input.circle.has_value());
  out << "<text id=\"title\" x=\"" << Pixel(kLeft) << "\" y=\"24\" font-family=\"sans-serif\" "
      << "font-size=\"15\" font-weight=\"bold\" fill=\"#111111\">" << Escaped(title)
      << "</text>\n";
  if (!subtitle.empty()) {
    out << "<text id=\"subtitle\" x=\"" << Pixel(kLeft) << "\" y=\"44\" font-family=\"sans-serif\" "
        << "font-size=\"12\" fill=\"#333333\">" << Escaped(subtitle) << "</text>\n";
  }
  out << "</svg>\n";
}

std::string PlotSvg(const PlotInput& input) {
  std::string svg;
  WritePlotSvg(input, [&](std::string_view piece) { svg += piece; });
  return svg;
}

}  // namespace nodalux::batch
