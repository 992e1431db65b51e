// One edit descriptor read from a parenthesised format such as "(F10.5)",
// "(I2.2)" or "(G15.5E2)". Internal to the Fortran formatter.
#pragma once

#include <optional>
#include <string_view>

namespace zarv::fortran {

enum class EditKind { kI, kF, kE, kES, kEN, kD, kG };

struct EditDescriptor {
  EditKind kind = EditKind::kI;
  int width = 0;       // w; 0 asks for the smallest width (I0, F0.d)
  int digits = -1;     // d for reals, m for integers; -1 when absent
  int exponent = -1;   // e of "Ee"; -1 when absent
};

// The widest field we agree to build; wider requests are refused rather
// than letting a hostile format make us allocate without bound.
inline constexpr int kMaxFieldWidth = 4096;

// Blanks anywhere inside the parentheses are ignored and letters may be of
// either case, as in Fortran. Empty for anything that is not exactly one
// supported descriptor, or whose numbers are out of range.
std::optional<EditDescriptor> ParseEditDescriptor(std::string_view format);

}  // namespace zarv::fortran
