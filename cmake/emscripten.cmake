# Builds the game for the browser with emscripten (Debian: emscripten): the
# game and the page's own platform as WebAssembly, run by web/main.js.
# tools/web configures with this file.
find_program(CELLBOUND_EM_CONFIG em-config REQUIRED)
execute_process(COMMAND ${CELLBOUND_EM_CONFIG} EMSCRIPTEN_ROOT
  OUTPUT_VARIABLE emscripten_root OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
include(${emscripten_root}/cmake/Modules/Platform/Emscripten.cmake)

# Small code over fast code: the download is what the player waits for.
# The game throws no exceptions. Set in the cache before CMake's own
# defaults for the compiler (-O3, -Os) are.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions")
set(CMAKE_CXX_FLAGS_RELEASE "-Oz -DNDEBUG" CACHE STRING "Flags for Release builds")
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Oz -DNDEBUG" CACHE STRING "Flags for MinSizeRel builds")
set(CMAKE_BUILD_TYPE MinSizeRel CACHE STRING "Build type")
