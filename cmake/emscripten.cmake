# Builds the game for the browser with emscripten (Debian: emscripten): the
# game and its POSIX terminal layer as WebAssembly, run by web/ over a
# pseudo-terminal in the page. tools/web configures with this file.
find_program(CELLBOUND_EM_CONFIG em-config REQUIRED)
execute_process(COMMAND ${CELLBOUND_EM_CONFIG} EMSCRIPTEN_ROOT
  OUTPUT_VARIABLE emscripten_root OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
include(${emscripten_root}/cmake/Modules/Platform/Emscripten.cmake)

# Small code over fast code: the download is what the player waits for.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions")
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-Oz -DNDEBUG")
set(CMAKE_CXX_FLAGS_MINSIZEREL_INIT "-Oz -DNDEBUG")
set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type")
