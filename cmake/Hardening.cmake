# The hardening Debian builds its own packages with, in every build type:
# position-independent executables, stack protection, fortified C library
# calls where the optimiser can check them, and relocations made read-only
# once the program has started.
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# Not for the web build: emscripten links neither the stack guard (its C
# library has no __stack_chk_guard) nor ELF's relocation flags, and its C
# library has no fortified calls.
if(NOT MSVC AND NOT WIN32 AND NOT EMSCRIPTEN)
  target_compile_options(cellbound_options INTERFACE -fstack-protector-strong)
  # Fortification needs the optimiser; Debug and coverage builds have none.
  # A level the builder chose (CXXFLAGS, CPPFLAGS through them, or the
  # compiler's own default) is kept; level 2 only where none is in force.
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -O2)
  check_cxx_source_compiles([[
    #include <cstdio>
    #ifndef _FORTIFY_SOURCE
    #error none
    #endif
    int main() { return 0; }
  ]] CELLBOUND_COMPILER_FORTIFIES)
  unset(CMAKE_REQUIRED_FLAGS)
  if(NOT CELLBOUND_COVERAGE AND NOT CELLBOUND_COMPILER_FORTIFIES
     AND NOT "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}}" MATCHES "_FORTIFY_SOURCE")
    target_compile_options(cellbound_options INTERFACE
      $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  endif()
  target_link_options(cellbound_options INTERFACE LINKER:-z,relro LINKER:-z,now)
endif()
