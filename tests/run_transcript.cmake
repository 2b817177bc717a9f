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
  set(pause "Press any key to continue . . . \n")
  string(FIND "${expected}" "${pause}" at REVERSE)
  if(at GREATER_EQUAL 0)
    string(SUBSTRING "${expected}" 0 ${at} expected)
    string(LENGTH "${expected}" kept)
    string(SUBSTRING "${actual}" ${kept} -1 pauseText)
    string(SUBSTRING "${actual}" 0 ${kept} actual)
    # Whatever the platform says, it is one line and nothing else.
    if(NOT pauseText MATCHES "^[^\n]+\n?$")
      message(FATAL_ERROR "expected the platform's pause alone after the game, got: [${pauseText}]")
    endif()
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
