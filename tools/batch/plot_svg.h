// A picture of a POI set and its circle as SVG 1.1: every POI, the group in
// another colour, the centre, and the boundary the selection really uses,
// traced along rays from the centre with the selection's own test (on a
// locally flat earth it is an ellipse in degrees, with no wrap at the 180th
// meridian). Axes in degrees, a scale bar in miles, the
// counts in the title.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/geo/circle.h"

namespace nodalux::batch {

struct PlotPoint {
  float longitude = 0.0f;  // decimal degrees, east positive
  float latitude = 0.0f;   // decimal degrees, north positive
};

// The circle; the selection keeps a POI when geo::Inside says so.
using PlotCircle = geo::Circle;

struct PlotInput {
  std::span<const PlotPoint> points;
  // The circle; none when every POI is kept (no selection).
  std::optional<PlotCircle> circle;
};

// Whether the selection keeps `point`: the selection's own test.
bool InGroup(const PlotCircle& circle, const PlotPoint& point);

// One point of the boundary: the last position along its ray (as floats)
// that the selection keeps. `open` when the ray met no end before it left
// any sensible map (near a pole the boundary runs off east and west).
struct BoundaryPoint {
  float latitude = 0.0f;
  float longitude = 0.0f;
  bool open = false;
};

// The boundary traced along `rays` rays evenly spread around the centre on
// the map (the first points east, then anticlockwise; with a multiple of 4
// rays, the points straight north, west, south and east are among them).
// Empty when the selection keeps nothing, not even the centre.
std::vector<BoundaryPoint> TraceBoundary(const PlotCircle& circle, int rays = 360);

// Where degrees land on the picture. x grows east, y grows south; one
// horizontal and one vertical pixel stand for the same distance at the
// centre of the picture, as on a map.
class PlotGeometry {
 public:
  double X(double longitude) const { return origin_x_ + (longitude - lon0_) * x_per_degree_; }
  double Y(double latitude) const { return origin_y_ - (latitude - lat0_) * y_per_degree_; }
  double Longitude(double x) const { return lon0_ + (x - origin_x_) / x_per_degree_; }
  double Latitude(double y) const { return lat0_ - (y - origin_y_) / y_per_degree_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Pixels per statute mile east-west, or 0 when the picture has no true
  // east-west scale (at a pole).
  double pixels_per_mile() const { return pixels_per_mile_; }

 private:
  friend PlotGeometry LayOut(const PlotInput&, std::span<const BoundaryPoint>);
  double lat0_ = 0, lon0_ = 0;
  double x_per_degree_ = 1, y_per_degree_ = 1;
  double origin_x_ = 0, origin_y_ = 0;
  double pixels_per_mile_ = 0;
  int width_ = 0, height_ = 0;
};

PlotGeometry LayOut(const PlotInput& input, std::span<const BoundaryPoint> boundary);

// Writes the SVG document a piece at a time through `sink`.
void WritePlotSvg(const PlotInput& input, const std::function<void(std::string_view)>& sink);
// The same, as one string.
std::string PlotSvg(const PlotInput& input);

}  // namespace nodalux::batch
