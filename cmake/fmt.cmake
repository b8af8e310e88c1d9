# kestal_fmt: the {fmt} headers, used header-only (Debian's libfmt-dev).
add_library(kestal_fmt INTERFACE)
if(EMSCRIPTEN)
  # em++ must not see /usr/include, whose C library headers would shadow its own: a copy of
  # only fmt's headers goes into the build tree.
  set(KESTAL_FMT_HEADERS /usr/include/fmt CACHE PATH "The {fmt} headers to copy for em++")
  if(NOT EXISTS ${KESTAL_FMT_HEADERS}/format.h)
    message(FATAL_ERROR "{fmt} is missing from ${KESTAL_FMT_HEADERS}: install libfmt-dev "
                        "(scripts/install-deps.sh) or set KESTAL_FMT_HEADERS.")
  endif()
  set(staged ${CMAKE_BINARY_DIR}/staged-include)
  file(COPY ${KESTAL_FMT_HEADERS}/ DESTINATION ${staged}/fmt)
  target_include_directories(kestal_fmt SYSTEM INTERFACE ${staged})
  target_compile_definitions(kestal_fmt INTERFACE FMT_HEADER_ONLY=1)
else()
  find_package(fmt 9 REQUIRED)
  target_link_libraries(kestal_fmt INTERFACE fmt::fmt-header-only)
endif()
