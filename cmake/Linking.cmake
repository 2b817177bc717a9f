# How the game is linked. By default it is one static position-independent
# executable: it starts without the dynamic loader resolving the C++ runtime,
# at a fraction of the time and memory, and keeps address randomisation.
# Distributions whose policy wants shared libraries turn CELLBOUND_STATIC off.
option(CELLBOUND_STATIC "Link the game as a static position-independent executable" ON)

set(CELLBOUND_STATIC_PIE OFF)
if(WIN32)
  set(linking "as the Windows toolchain sets it")
elseif(EMSCRIPTEN)
  set(linking "as a WebAssembly module for the page in web/")
elseif(NOT CELLBOUND_STATIC)
  set(linking "against shared libraries (CELLBOUND_STATIC=OFF)")
elseif(CELLBOUND_SANITIZE OR CELLBOUND_FUZZ OR CELLBOUND_COVERAGE)
  set(linking "against shared libraries (the sanitizers and coverage need them)")
else()
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -fPIE)
  set(CMAKE_REQUIRED_LINK_OPTIONS -static-pie)
  check_cxx_source_compiles([[
    #include <string>
    int main(int argc, char**) { return static_cast<int>(std::string(2, 'x').size()) - argc; }
  ]] CELLBOUND_HAVE_STATIC_PIE)
  unset(CMAKE_REQUIRED_FLAGS)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(CELLBOUND_HAVE_STATIC_PIE)
    set(CELLBOUND_STATIC_PIE ON)
    # Every executable is linked as a PIE; here, as a static one.
    set(CMAKE_CXX_LINK_OPTIONS_PIE -fPIE -static-pie)
    set(linking "as a static position-independent executable")
  else()
    set(linking "against shared libraries (this toolchain cannot link a static PIE)")
  endif()
endif()
message(STATUS "Linking the game ${linking}")
