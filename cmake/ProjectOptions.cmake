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

# A program started for every job links the C++ runtime in (-static-libstdc++
# -static-libgcc), or everything with ALL (-static): the dynamic loader then
# has little or nothing to do at each start, and less memory is touched.
# Sanitizer builds keep the shared runtime their libraries need.
function(nodalux_link_runtime_in target)
  cmake_parse_arguments(arg "ALL" "" "" ${ARGN})
  if("${CMAKE_CXX_FLAGS} ${CMAKE_EXE_LINKER_FLAGS}" MATCHES "-fsanitize")
    return()
  endif()
  if(arg_ALL)
    target_link_options(${target} PRIVATE -static)
  else()
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()

# SQLite, zlib and expat are linked in where their static archives are
# installed: Debian's libsqlite3 has the loader bind all of its 1200
# imported symbols when it is loaded, at every start of every program,
# whether or not a setting is ever read, and every shared library costs a
# program's start its opening, mapping and relocation (nodalux-batch loads
# expat for GPX alone). Sanitizer builds keep the shared libraries. An
# explicit SQLite3_LIBRARY, ZLIB_LIBRARY or EXPAT_LIBRARY wins.
if(NOT "${CMAKE_CXX_FLAGS} ${CMAKE_EXE_LINKER_FLAGS}" MATCHES "-fsanitize")
  set(nodalux_static_libraries SQLite3 ZLIB EXPAT)
  set(nodalux_static_archives libsqlite3.a libz.a libexpat.a)
  foreach(library archive IN ZIP_LISTS nodalux_static_libraries nodalux_static_archives)
    if(NOT DEFINED CACHE{${library}_LIBRARY})
      find_library(NODALUX_${library}_ARCHIVE NAMES ${archive})
      if(NODALUX_${library}_ARCHIVE)
        set(${library}_LIBRARY "${NODALUX_${library}_ARCHIVE}" CACHE FILEPATH "${library} library")
      endif()
    endif()
  endforeach()
endif()
