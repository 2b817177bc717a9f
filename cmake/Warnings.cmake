# Warnings are errors everywhere in this project.
add_library(cellbound_options INTERFACE)
if(MSVC)
  target_compile_options(cellbound_options INTERFACE /W4 /WX /permissive-)
else()
  target_compile_options(cellbound_options INTERFACE -Wall -Wextra -Wpedantic -Werror)
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
