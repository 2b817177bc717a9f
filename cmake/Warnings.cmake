# The warnings every target of the project is built with. They are errors
# only with CELLBOUND_WERROR (tools/check and CI turn it on): a newer compiler
# with a new warning must not stop a player's build.
add_library(cellbound_options INTERFACE)
if(MSVC)
  # C4265: a class with virtual functions but no virtual destructor;
  # C4242/C4244/C4245/C4365: conversions that lose data or change sign;
  # C4296: a comparison that is always true or false; C4456-C4459: shadowing.
  target_compile_options(cellbound_options INTERFACE /W4 /permissive-
    /w44265 /w44242 /w44244 /w44245 /w44365 /w44296 /w44456 /w44457 /w44458 /w44459)
  if(CELLBOUND_WERROR)
    target_compile_options(cellbound_options INTERFACE /WX)
  endif()
else()
  target_compile_options(cellbound_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual>)
  if(CELLBOUND_WERROR)
    target_compile_options(cellbound_options INTERFACE -Werror)
  endif()
endif()

# clang writes DWARF 5 debug information, which valgrind 3.19 cannot read.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND NOT MSVC)
  target_compile_options(cellbound_options INTERFACE -gdwarf-4)
endif()

if(CELLBOUND_SANITIZE)
  target_compile_options(cellbound_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(cellbound_options INTERFACE -fsanitize=address,undefined)
endif()

if(CELLBOUND_FUZZ)
  # Everything the fuzz target plays is instrumented for libFuzzer and checked
  # by the sanitizers.
  target_compile_options(cellbound_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  target_link_options(cellbound_options INTERFACE -fsanitize=address,undefined)
endif()

if(CELLBOUND_COVERAGE)
  target_compile_options(cellbound_options INTERFACE --coverage -O0)
  target_link_options(cellbound_options INTERFACE --coverage)
endif()
