# The committed Unicode tables must be what the generator writes from the
# installed utf8proc: a hand edit, or a library of another Unicode version,
# shows here first.
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE generated RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${status}")
endif()
file(READ ${TABLES} committed)
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "${TABLES} is not what the generator writes from this utf8proc; "
    "regenerate it as tools/unicode/generate.cpp says, and check the tests")
endif()
