# The Debian packages of the installed files, made by CPack (scripts/package.sh). The layout
# that Debian gives games (programs in /usr/games, data in /usr/share/games/kestal) is set
# when the build is configured: see packaging/debian_layout.cmake.
if(EMSCRIPTEN)
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/release.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KESTAL_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KESTAL_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# Debian wants no symbol tables in shipped programs.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KESTAL_HOMEPAGE}")
# Depends is worked out by dpkg-shlibdeps from the libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack indents the lines after the synopsis and turns the empty line into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "keyboard space shooter with homing space mines
KESTAL 2 is a keyboard-driven 2-D space shooter. You fly a small triangular
ship with inertial thrusters inside a walled field, sweep a laser to the
right-hand wall, charge your shields and cool your engines, while homing
space mines drift, bounce and drain your shields on contact. Eleven levels,
each with more and keener mines, lead to the final victory.

The package holds two programs: kestal, with sound effects, and
kestal-silent, which needs no audio device.")

# Three packages from the one build, one per install component: the game (the component of
# every install rule that names none), and beside it the hall of fame server and the web
# site (packaging/server_packages.cmake).
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME ${KESTAL_PACKAGE_NAME})
set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
include(${CMAKE_CURRENT_LIST_DIR}/server_packages.cmake)

include(CPack)
