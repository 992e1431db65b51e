// The circle as the settings store keeps it: the centre's latitude and
// longitude as "(F10.5)" and the radius as "(F6.2)" (wider when it does not
// fit), separated by commas; read back as any three numbers in free-form
// list input.
#pragma once

#include <string>
#include <string_view>

#include "app/geo/circle.h"

namespace nodalux::formats {

// The circle in force before the stored one is read: an item left empty in
// the stored text keeps its value from here.
inline constexpr geo::Circle kInitialCircle{51.23804f, -0.78157f, 30.0f};
// The circle taken when nothing usable is stored.
inline constexpr geo::Circle kDefaultCircle{51.47604f, 0.0f, 30.0f};

//   51.47604,   0.00000, 30.00
std::string CircleText(const geo::Circle& circle);

// Reads the three numbers into `circle`, which holds what an item left
// empty keeps. False when the text is blank, damaged or holds fewer than
// three numbers: the caller then takes its default circle.
bool ReadCircleText(std::string_view text, geo::Circle* circle);

// The circle a stored text gives a program whose circle is `start`: the
// text's numbers (an item left empty keeps start's), or kDefaultCircle when
// it has no usable three, or a number that is not finite.
geo::Circle StoredCircle(std::string_view text, geo::Circle start = kInitialCircle);

}  // namespace nodalux::formats
