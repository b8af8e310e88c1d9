# Initial cache for the build of the Debian package (cmake -C): where Debian puts games
# (the commands in /usr/games, a game's own programs in /usr/lib/games), and programs
# stripped the way its own tools strip them.
set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "")
set(CMAKE_INSTALL_BINDIR games CACHE PATH "")
set(KESTAL_INSTALL_PROGRAMDIR lib/games/kestal CACHE STRING "")
set(KESTAL_INSTALL_GAMEDATADIR share/games/kestal CACHE STRING "")
set(CMAKE_BUILD_TYPE Release CACHE STRING "")
set(KESTAL_TESTS OFF CACHE BOOL "")
set(KESTAL_BENCH OFF CACHE BOOL "")
set(CMAKE_STRIP ${CMAKE_CURRENT_LIST_DIR}/strip.sh CACHE FILEPATH "")
