# What a release is called and where it lives, for the package and its metadata.
# The home page and the AppStream id are placeholders until the game has a public home:
# the web site (kestal-web-VERSION.zip, with the README's pictures in screenshots/) is
# meant to be published at KESTAL_HOMEPAGE, where the metadata's screenshots point.
set(KESTAL_PACKAGE_NAME kestal)
set(KESTAL_HOMEPAGE "https://kestal2.example.org/")
set(KESTAL_APPSTREAM_ID org.example.kestal2)
set(KESTAL_SUMMARY "Fly a small ship through eleven levels of homing space mines")

include(${CMAKE_CURRENT_LIST_DIR}/changelog.cmake)
kestal_read_changelog(${CMAKE_CURRENT_LIST_DIR}/changelog)
