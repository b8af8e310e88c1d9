# shellcheck shell=bash
# Sourced by the scripts that build natively: RELEASE_OPTIONS, the CMake options of the
# release's compiles (the Release build type with Debian's hardening flags). scripts/package.sh
# builds the Debian package with them, and the everyday and source tarball builds use them
# too: the tests run the code that ships, and the package's compiles come from the compiler
# cache. No path goes into the flags (Debian's prefix maps would name the folder), so that
# they are the same in every copy of the tree.
# Without -g: the package strips every program (packaging/strip.sh), and debug information
# changes no instruction, so it would cost a third of each compile only to be thrown away.
release_flag() {
  DEB_BUILD_MAINT_OPTIONS="hardening=+all reproducible=-fixfilepath,-fixdebugpath" \
    dpkg-buildflags --get "$1" | sed -E 's/(^| )-g( |$)/\1/'
}
# shellcheck disable=SC2034 # for the scripts that source this one
RELEASE_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release
  "-DCMAKE_CXX_FLAGS=$(release_flag CXXFLAGS) $(release_flag CPPFLAGS)"
  "-DCMAKE_C_FLAGS=$(release_flag CFLAGS) $(release_flag CPPFLAGS)"
  "-DCMAKE_EXE_LINKER_FLAGS=$(release_flag LDFLAGS)"
)
