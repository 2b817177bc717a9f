# Installation and packages. `cpack -G DEB` in the build folder gives the
# Debian package; `cpack -G ZIP` in a Windows build gives the ZIP.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME cellbound)
set(CPACK_PACKAGE_VENDOR "the cellbound authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text adventure: escape a prison of twelve rooms")
set(CPACK_PACKAGE_DESCRIPTION [[
cellbound is a small text adventure for the console. You wake in a prison
of twelve rooms with no memory of how you got there. Walk it with compass
commands, pick up what you find, open the one locked door, fight what stands
in your way, talk to the prisoner in the cells, and find your way out
through the portal.
.
Losing a fight is not the end: you wake in your bed again, with empty
hands. In a terminal the game is in colour, and typed lines can be edited
and recalled.]])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The source archive: the tree as in the repository, in one folder named
# for the release, without git's files, build folders or npm's downloads.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME cellbound-${PROJECT_VERSION})
set(CPACK_SOURCE_IGNORE_FILES
  "^${PROJECT_SOURCE_DIR}/\\\\.git(/|$)"
  "^${PROJECT_SOURCE_DIR}/build[^/]*/"
  "/node_modules/")

if(WIN32)
  # The ZIP: the game, the README and the licence, side by side.
  install(TARGETS cellbound RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME cellbound-${PROJECT_VERSION}-windows-x86_64)
  include(CPack)
  return()
endif()

# Where the game goes: in a system-wide prefix (/usr, /usr/local), `games`,
# as Debian and the BSDs keep their games and put on every user's PATH; in
# any other prefix, such as ~/.local, `bin`, which login shells put on the
# PATH and beside which `man` finds share/man. The prefix is the one in force
# when installing (`cmake --install --prefix` may change it), so the choice
# is made then.
set(CELLBOUND_INSTALL_GAMESDIR "" CACHE STRING
    "Where the game is installed, under the prefix (empty: games in /usr and /usr/local, else bin)")
if(CELLBOUND_INSTALL_GAMESDIR)
  install(CODE "set(cellbound_gamesdir [[${CELLBOUND_INSTALL_GAMESDIR}]])")
else()
  install(CODE [[
    if(CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?/?$")
      set(cellbound_gamesdir games)
    else()
      set(cellbound_gamesdir bin)
    endif()
  ]])
endif()
install(TARGETS cellbound RUNTIME DESTINATION "\${cellbound_gamesdir}")

# Manual pages and the changelog are installed compressed, the same bytes on
# every build.
find_program(GZIP gzip REQUIRED)
set(compressed ${CMAKE_CURRENT_BINARY_DIR}/compressed)
set(manual ${compressed}/cellbound.6.gz)
set(changelog ${compressed}/changelog.gz)
add_custom_command(OUTPUT ${manual} ${changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
  COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/docs/cellbound.6 > ${manual}
  COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/cellbound.6 ${PROJECT_SOURCE_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(compressed_documents ALL DEPENDS ${manual} ${changelog})
# Built with the game, so that a build of the game alone can be installed.
add_dependencies(cellbound compressed_documents)
install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${changelog} ${PROJECT_SOURCE_DIR}/packaging/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The lintian override, which says why the game is static, belongs to the
# Debian package alone: `cmake --install` leaves it out.
if(CELLBOUND_STATIC_PIE)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME cellbound
    COMPONENT debian EXCLUDE_FROM_ALL)
endif()
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackProjectConfig.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the cellbound authors <cellbound@users.noreply.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
