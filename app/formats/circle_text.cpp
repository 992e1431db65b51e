#include "app/formats/circle_text.h"

#include <cmath>

#include "app/formats/number_fields.h"
#include "toolkit/core/fortran_io.h"
#include "toolkit/core/text.h"

namespace nodalux::formats {
namespace {

// The radius in 6 characters, widened to the narrowest field that holds it,
// so that no radius is lost.
std::string RadiusField(float radius) {
  for (int width = 6; width <= 42; ++width) {
    std::string field = FixedField(radius, width, 2);
    if (field.find('*') == std::string::npos) return field;
  }
  return FixedField(radius, 6, 2);
}

}  // namespace

std::string CircleText(const geo::Circle& circle) {
  return FixedField(circle.latitude, 10, 5) + "," + FixedField(circle.longitude, 10, 5) + "," +
         RadiusField(circle.radius_miles);
}

bool ReadCircleText(std::string_view text, geo::Circle* circle) {
  if (zarv::IsBlank(text)) return false;
  using Status = zarv::fortran::ListReader::Status;
  zarv::fortran::ListReader reader(text);
  for (float* target : {&circle->latitude, &circle->longitude, &circle->radius_miles}) {
    float value = *target;
    const Status status = reader.read(value);
    if (status == Status::kError || status == Status::kEnd) return false;
    if (status == Status::kSlash) return true;  // the rest keep their values
    if (status == Status::kValue) *target = value;
  }
  return true;
}

geo::Circle StoredCircle(std::string_view text, geo::Circle start) {
  // "nan", "inf" or a number beyond a float's range is no circle either.
  if (!ReadCircleText(text, &start) || !std::isfinite(start.latitude) ||
      !std::isfinite(start.longitude) || !std::isfinite(start.radius_miles)) {
    return kDefaultCircle;
  }
  return start;
}

}  // namespace nodalux::formats
