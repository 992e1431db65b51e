# Regenerates the reference vectors with the gfortran on this machine and
# runs the vector tests against them, so the comparison never rests on
# committed files alone.
#   cmake -DGFORTRAN=... -DSOURCE_DIR=... -DWORK_DIR=... -DTEST_PROGRAM=... -P gfortran_live.cmake
file(MAKE_DIRECTORY ${WORK_DIR})
set(program ${WORK_DIR}/gfortran_vectors)

execute_process(
  COMMAND ${GFORTRAN} -O1 -ffree-line-length-none -o ${program} ${SOURCE_DIR}/gfortran_vectors.f90
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gfortran could not build the vector program")
endif()

configure_file(${SOURCE_DIR}/data/list_records.txt ${WORK_DIR}/list_records.txt COPYONLY)
execute_process(COMMAND ${program} format ${WORK_DIR}/format_vectors.txt RESULT_VARIABLE rc1)
execute_process(COMMAND ${program} list ${WORK_DIR}/list_records.txt ${WORK_DIR}/list_vectors.txt
  RESULT_VARIABLE rc2)
if(NOT rc1 EQUAL 0 OR NOT rc2 EQUAL 0)
  message(FATAL_ERROR "the vector program failed")
endif()

foreach(name format_vectors.txt list_vectors.txt)
  file(READ ${WORK_DIR}/${name} live)
  file(READ ${SOURCE_DIR}/data/${name} committed)
  if(NOT live STREQUAL committed)
    message(WARNING "${name}: this gfortran writes other vectors than the committed ones")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -E env NODALUX_GOLDEN_DIR=${WORK_DIR} ${TEST_PROGRAM}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "our output differs from gfortran's")
endif()
