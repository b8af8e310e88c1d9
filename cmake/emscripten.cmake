# The browser (WebAssembly) build with Debian's Emscripten: `emcmake cmake -S . -B build-web`.
# Included by the top level before any target exists, so everything set here reaches every
# compile and link of the tree.

# Debian's emcc runs JavaScript helpers that find their modules (acorn) only through
# NODE_PATH. Configure-time checks inherit this environment; the build gets it through the
# launchers, which every target created after this point takes over.
set(KESTAL_NODE_PATH /usr/share/nodejs
    CACHE PATH "Debian's Node.js modules, which Emscripten's tools need (NODE_PATH)")
set(ENV{NODE_PATH} ${KESTAL_NODE_PATH})
set(kestal_with_node_path ${CMAKE_COMMAND} -E env NODE_PATH=${KESTAL_NODE_PATH})
include(${CMAKE_CURRENT_LIST_DIR}/ccache.cmake)
if(KESTAL_CCACHE_LAUNCHER)
  # The cache's settings and emcc's wrapper join NODE_PATH in one environment.
  list(REMOVE_AT KESTAL_CCACHE_LAUNCHER 0 1 2)
endif()
foreach(language C CXX)
  set(CMAKE_${language}_COMPILER_LAUNCHER ${kestal_with_node_path} ${KESTAL_CCACHE_LAUNCHER})
  set(CMAKE_${language}_LINKER_LAUNCHER ${kestal_with_node_path})
endforeach()

# emcmake names `node --experimental-wasm-threads` as the runner of built programs (for
# custom commands and tests), a flag that Node.js 20 refuses: run them with plain node.
find_program(KESTAL_NODE_EXECUTABLE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTAL_NODE_EXECUTABLE})

# Programs are .js (with their .wasm) only: Debian's emcc crashes in the HTML minifier when
# asked for a page, so pages are written by hand.
set(CMAKE_EXECUTABLE_SUFFIX .js)

# exitProgram leaves the game by throwing. Emscripten's own exception support works with
# Asyncify, which the browser editions need; WebAssembly exceptions do not.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# Double to integer conversions as single instructions (every browser of the last years
# has them) rather than guarded sequences: a fifth off the final victory's 2.5 million
# points. The game never converts an out-of-range value, so the results are the same.
add_compile_options(-mnontrapping-fptoint)

# Link options for a program run by Node.js from the command line, as a native one is:
# the real file system and working directory, standard input, the exit status, and the
# WebAssembly inside the .js file (this Emscripten would otherwise try fetch() under
# Node.js 18 and later, which cannot load files). The game state lives on the heap; the
# default 5 MiB stack is ample.
function(kestal_node_program target)
  target_link_options(${target} PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1
                      -sSINGLE_FILE=1 -sALLOW_MEMORY_GROWTH=1)
endfunction()
