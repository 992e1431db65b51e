# Settings shared by every target of the project: link this interface target.
add_library(nodalux_options INTERFACE)
add_library(nodalux::options ALIAS nodalux_options)
target_compile_features(nodalux_options INTERFACE cxx_std_20)
target_compile_options(nodalux_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers>
  # GCC 12 warns about overlapping copies inside std::string's own
  # concatenation where there are none (a known false positive).
  $<$<AND:$<COMPILE_LANGUAGE:CXX>,$<CXX_COMPILER_ID:GNU>>:-Wno-restrict>
  # Results must not depend on the optimisation level: keep IEEE semantics and
  # evaluate 32-bit float expressions in 32 bits.
  $<$<COMPILE_LANGUAGE:CXX>:-fno-fast-math -ffp-contract=off>)
