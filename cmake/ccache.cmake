# Debian's ccache in front of the compilers, where it is installed: the release and the source
# tarball compile the same files again, and those compiles then come from the cache. The cache
# is keyed on paths relative to the source tree, so a copy of the tree elsewhere (the tarball
# unpacked) shares it. KESTAL_CCACHE=OFF compiles everything every time.
option(KESTAL_CCACHE "Compile through ccache when it is installed" ON)
set(KESTAL_CCACHE_LAUNCHER "")
if(KESTAL_CCACHE)
  find_program(KESTAL_CCACHE_PROGRAM ccache)
  if(KESTAL_CCACHE_PROGRAM)
    set(KESTAL_CCACHE_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}
                               CCACHE_NOHASHDIR=1)
    if(EMSCRIPTEN)
      # emcc runs clang itself; it puts the wrapper it is given in front of it.
      list(APPEND KESTAL_CCACHE_LAUNCHER EM_COMPILER_WRAPPER=${KESTAL_CCACHE_PROGRAM})
    else()
      list(APPEND KESTAL_CCACHE_LAUNCHER ${KESTAL_CCACHE_PROGRAM})
    endif()
  endif()
endif()
