# The last step of the site's build: removes from SITE every file this build
# does not make (an older build's, which a publisher would ship too), and
# writes sw.js from its template with the build's hash, taken from the
# contents of FILES, the site's other files, which it caches.
#   cmake -DSITE=... -DFILES=a,b -DTEMPLATE=.../sw.js -P site.cmake
cmake_minimum_required(VERSION 3.16)
string(REPLACE "," ";" FILES "${FILES}")
file(GLOB present LIST_DIRECTORIES true RELATIVE ${SITE} ${SITE}/*)
foreach(name IN LISTS present)
  if(NOT name IN_LIST FILES AND NOT name STREQUAL "sw.js")
    file(REMOVE_RECURSE ${SITE}/${name})
  endif()
endforeach()

set(sums "")
set(quoted "")
foreach(name IN LISTS FILES)
  file(SHA256 ${SITE}/${name} sum)
  string(APPEND sums "${name} ${sum}\n")
  list(APPEND quoted "'${name}'")
endforeach()
string(SHA256 build "${sums}")
string(SUBSTRING ${build} 0 16 build)
list(JOIN quoted ", " quoted)

file(READ ${TEMPLATE} worker)
string(REPLACE "@BUILD@" "${build}" worker "${worker}")
string(REPLACE "@FILES@" "${quoted}" worker "${worker}")
# Rewritten only when it changes, as the other files are.
set(old "")
if(EXISTS ${SITE}/sw.js)
  file(READ ${SITE}/sw.js old)
endif()
if(NOT old STREQUAL worker)
  file(WRITE ${SITE}/sw.js "${worker}")
endif()
