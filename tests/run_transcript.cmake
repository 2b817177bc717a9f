# Plays one transcript: the game reads TYPED as its standard input, and what
# it prints must be EXPECTED, byte for byte, with exit status 0 and nothing on
# standard error.
#
# With PLATFORM_PAUSE set (the Windows console), the final pause is the
# platform's own: its text is left out of the comparison and CR LF line ends
# count as line feeds.
execute_process(
  COMMAND ${EMULATOR} ${GAME}
  INPUT_FILE ${TYPED}
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE complaints
  RESULT_VARIABLE status
  TIMEOUT 45)
file(READ ${EXPECTED} expected)

if(PLATFORM_PAUSE)
  string(REPLACE "\r\n" "\n" actual "${actual}")
  string(FIND "${expected}" "Press any key to continue . . . \n" at REVERSE)
  if(at GREATER_EQUAL 0)
    # Whatever the platform says, it is one line and nothing else.
    string(SUBSTRING "${expected}" 0 ${at} expected)
    string(REGEX REPLACE "[^\n]+\n?$" "" actual "${actual}")
  endif()
endif()

if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}\n${complaints}")
endif()
if(NOT complaints STREQUAL "")
  message(FATAL_ERROR "the game wrote to standard error:\n${complaints}")
endif()
if(NOT actual STREQUAL expected)
  string(LENGTH "${expected}" expectedLength)
  string(LENGTH "${actual}" actualLength)
  set(at 0)
  while(at LESS expectedLength AND at LESS actualLength)
    string(SUBSTRING "${expected}" ${at} 1 e)
    string(SUBSTRING "${actual}" ${at} 1 a)
    if(NOT e STREQUAL a)
      break()
    endif()
    math(EXPR at "${at} + 1")
  endwhile()
  string(SUBSTRING "${expected}" ${at} 120 expectedThere)
  string(SUBSTRING "${actual}" ${at} 120 actualThere)
  message(FATAL_ERROR "output differs at byte ${at} (expected ${expectedLength} bytes, got ${actualLength})\n"
    "expected: [${expectedThere}]\nactual:   [${actualThere}]")
endif()
