# How the game is linked. By default it is one static position-independent
# executable: it starts without the dynamic loader resolving the C++ runtime,
# at a fraction of the time and memory, and keeps address randomisation.
# Distributions whose policy wants shared libraries turn CELLBOUND_STATIC off.
#
# A static PIE that cannot start is worse than none: flags that need the
# dynamic loader (the sanitizers, coverage and profiling runtimes), given
# through the project's options or the usual CXXFLAGS, LDFLAGS and
# CMAKE_<LANG>_FLAGS, mean the usual link, and so does a small static PIE
# that does not run here.
option(CELLBOUND_STATIC "Link the game as a static position-independent executable" ON)

# Every compiler and linker flag the builder has put in force, for this build
# type too.
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
set(CELLBOUND_FLAGS_IN_FORCE
  "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}} ${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${build_type}}")

set(CELLBOUND_STATIC_PIE OFF)
if(WIN32)
  set(linking "as the Windows toolchain sets it")
elseif(EMSCRIPTEN)
  set(linking "as a WebAssembly module for the page in web/")
elseif(NOT CELLBOUND_STATIC)
  set(linking "against shared libraries (CELLBOUND_STATIC=OFF)")
elseif(CELLBOUND_SANITIZE OR CELLBOUND_FUZZ OR CELLBOUND_COVERAGE)
  set(linking "against shared libraries (the sanitizers and coverage need them)")
elseif(CELLBOUND_FLAGS_IN_FORCE MATCHES "(^| )(-fsanitize=[^ ]*|--coverage|-fprofile-[^ ]*|-pg)( |$)")
  set(linking "against shared libraries (${CMAKE_MATCH_2} needs the dynamic loader)")
else()
  include(CheckCXXSourceCompiles)
  include(CheckCXXSourceRuns)
  set(CMAKE_REQUIRED_FLAGS -fPIE)
  set(CMAKE_REQUIRED_LINK_OPTIONS -static-pie)
  set(probe [[
    #include <iostream>
    #include <string>
    int main(int argc, char**) {
        std::string text(2, 'x');
        std::cout << text.size() << std::endl;
        return static_cast<int>(text.size()) - argc - 1;
    }
  ]])
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    # Nothing here can run it: linking it is the most that can be known.
    check_cxx_source_compiles("${probe}" CELLBOUND_HAVE_STATIC_PIE)
  else()
    check_cxx_source_runs("${probe}" CELLBOUND_HAVE_STATIC_PIE)
  endif()
  # What a static executable maps is what it costs in memory: the library
  # code no call reaches is left out, and the start-up relocations are
  # packed (where the linker and the C library know how).
  set(footprint -Wl,--gc-sections -Wl,-z,pack-relative-relocs)
  set(CMAKE_REQUIRED_LINK_OPTIONS -static-pie ${footprint})
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    check_cxx_source_compiles("${probe}" CELLBOUND_HAVE_SMALL_STATIC_PIE)
  else()
    check_cxx_source_runs("${probe}" CELLBOUND_HAVE_SMALL_STATIC_PIE)
  endif()
  unset(CMAKE_REQUIRED_FLAGS)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(CELLBOUND_HAVE_STATIC_PIE)
    set(CELLBOUND_STATIC_PIE ON)
    # Every executable is linked as a PIE; here, as a static one.
    set(CMAKE_CXX_LINK_OPTIONS_PIE -fPIE -static-pie)
    if(CELLBOUND_HAVE_SMALL_STATIC_PIE)
      list(APPEND CMAKE_CXX_LINK_OPTIONS_PIE ${footprint})
    endif()
    set(linking "as a static position-independent executable")
  else()
    set(linking "against shared libraries (a static PIE built with these flags does not run here)")
  endif()
endif()
message(STATUS "Linking the game ${linking}")
