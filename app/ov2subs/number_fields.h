// Right-aligned number fields as the OV2 routines write them: "(Iw)" and
// "(Fw.d)" edit descriptors, asterisks when the value does not fit.
#pragma once

#include <string>

namespace nodalux::ov2 {

std::string IntegerField(long long value, int width);
std::string FixedField(double value, int width, int decimals);

}  // namespace nodalux::ov2
