# nodalux_embed_files(TARGET NAME FILES f1 f2 ...)
# Generates a C++ source that holds the bytes of each file, found at run time
# by its file name through zarv::EmbeddedFile tables (toolkit/core/resources.h).
function(nodalux_embed_files target name)
  cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.cmake)
  file(WRITE ${script} "set(out \"${out}\")\nset(name \"${name}\")\nset(files \"${ARG_FILES}\")\n")
  file(APPEND ${script} [=[
set(body "// Generated from the files in resources/; do not edit.\n#include \"toolkit/core/resources.h\"\n#include <array>\nnamespace {\n")
set(table "")
set(i 0)
foreach(f IN LISTS files)
  file(READ ${f} hex HEX)
  file(SIZE ${f} size)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  get_filename_component(base ${f} NAME)
  string(APPEND body "const unsigned char file${i}[] = {${bytes} 0};\n")
  string(APPEND table "  zarv::EmbeddedFile{\"${base}\", file${i}, ${size}},\n")
  math(EXPR i "${i} + 1")
endforeach()
string(APPEND body "const std::array kFiles{\n${table}};\n}\n")
string(APPEND body "std::span<const zarv::EmbeddedFile> ${name}() { return kFiles; }\n")
file(WRITE ${out}.tmp "${body}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${out}.tmp ${out})
]=])
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -P ${script}
    DEPENDS ${ARG_FILES} ${script}
    COMMENT "Embedding ${name}")
  target_sources(${target} PRIVATE ${out})
endfunction()
