# The committed Unicode tables must be what the generator writes from the
# installed utf8proc when it is the version they were made from: a hand edit
# shows here first. From another version the tables differ, and only what
# does not depend on the version is compared: every line but the versions
# and the runs, so the generator still writes the file the game has.
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE generated RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${status}")
endif()
file(READ ${TABLES} committed)
if(SAME_VERSION)
  if(NOT generated STREQUAL committed)
    message(FATAL_ERROR "${TABLES} is not what the generator writes from this utf8proc; "
      "regenerate it as tools/unicode/generate.cpp says, and check the tests")
  endif()
  return()
endif()
foreach(text IN ITEMS generated committed)
  # Each line on its own, the version-bound ones left out.
  string(REGEX REPLACE "[^\n]*(utf8proc [0-9]|Version = |    \"[A-Za-z])[^\n]*\n" "" ${text}
    "${${text}}")
endforeach()
if(NOT generated STREQUAL committed)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/unicode_tables_form.txt "${generated}")
  message(FATAL_ERROR "${TABLES} is not in the form the generator writes (without its versions "
    "and runs: ${CMAKE_CURRENT_BINARY_DIR}/unicode_tables_form.txt)")
endif()
message(STATUS "${TABLES}: the generator's form; its runs are utf8proc's of another version")
