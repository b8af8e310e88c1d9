# The two packages made beside the game from the same build (scripts/package.sh), as CPack
# components: "hall", the hall of fame server as a systemd service (kestal-hall), and "web",
# the browser editions' site (kestal-web). The game's own install rules name no component:
# CMake's default one, "Unspecified", is the kestal package.

set(KESTAL_WEB_SITE "" CACHE PATH
    "The browser editions' site as their build installs it, packaged as kestal-web (empty: none)")

# Each package carries the licence and the release history under its own name.
function(kestal_package_docs component package)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/data/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endfunction()

if(TARGET kestal-hall)
  # OPTIONAL: a tree built only in part (a test's own targets) still installs the game.
  install(TARGETS kestal-hall RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR} COMPONENT hall
          OPTIONAL)

  # The Debian package's options file is /etc/default/kestal-hall; any other install keeps
  # it under its prefix, as everything else.
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(defaults_dir /etc/default)
  else()
    set(defaults_dir ${CMAKE_INSTALL_SYSCONFDIR}/default)
  endif()
  set(KESTAL_HALL_PROGRAM ${CMAKE_INSTALL_FULL_SBINDIR}/kestal-hall)
  set(KESTAL_HALL_DEFAULTS ${CMAKE_INSTALL_FULL_SYSCONFDIR}/default/kestal-hall)
  set(hall_dir ${PROJECT_SOURCE_DIR}/packaging/hall)
  configure_file(${hall_dir}/kestal-hall.service.in kestal-hall.service @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/kestal-hall.service
          DESTINATION lib/systemd/system COMPONENT hall)
  install(FILES ${hall_dir}/kestal-hall.default RENAME kestal-hall DESTINATION ${defaults_dir}
          COMPONENT hall)
  install(FILES ${hall_dir}/nginx-site
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestal-hall/examples COMPONENT hall)
  kestal_package_docs(hall kestal-hall)

  # The manual page names no installed path that depends on the prefix: it is filled in
  # when the build is configured, and compressed without a time stamp as Debian wants.
  set(KESTAL_VERSION ${PROJECT_VERSION})
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/kestal-hall.8.in kestal-hall.8 @ONLY)
  find_program(GZIP_EXECUTABLE gzip REQUIRED)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/kestal-hall.8.gz
    COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${PROJECT_BINARY_DIR}/kestal-hall.8
            > ${PROJECT_BINARY_DIR}/kestal-hall.8.gz
    DEPENDS ${PROJECT_BINARY_DIR}/kestal-hall.8
    COMMENT "Compressing kestal-hall's manual page")
  add_custom_target(kestal_hall_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/kestal-hall.8.gz)
  install(FILES ${PROJECT_BINARY_DIR}/kestal-hall.8.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man8 COMPONENT hall OPTIONAL)

  set(CPACK_DEBIAN_HALL_PACKAGE_NAME kestal-hall)
  set(CPACK_DEBIAN_HALL_PACKAGE_SOURCE ${KESTAL_PACKAGE_NAME})
  set(CPACK_DEBIAN_HALL_PACKAGE_SUGGESTS "kestal-web, nginx")
  # Enabling and starting the service as Debian's helpers do; /etc/default/kestal-hall is
  # the administrator's.
  set(CPACK_DEBIAN_HALL_PACKAGE_CONTROL_EXTRA
      ${hall_dir}/conffiles ${hall_dir}/postinst ${hall_dir}/prerm ${hall_dir}/postrm)
  set(CPACK_DEBIAN_HALL_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_HALL_DESCRIPTION
      "hall of fame server for KESTAL 2 that replays every score
kestal-hall keeps a hall of fame for the space shooter KESTAL 2 that believes
no number a player sends: a player sends only a recording of the game, and
the server replays it through the game's own core to find the score, the
level and whether it ended in the final victory.

The package runs it as the systemd service kestal-hall.service, under a user
of its own, with its entries in an SQLite file in /var/lib/kestal-hall, and
has an nginx site in its examples that serves the game's pages (kestal-web)
and forwards the hall's requests to it.")
endif()

if(KESTAL_WEB_SITE)
  install(DIRECTORY ${KESTAL_WEB_SITE}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kestal/web
          COMPONENT web)
  kestal_package_docs(web kestal-web)
  set(CPACK_DEBIAN_WEB_PACKAGE_NAME kestal-web)
  set(CPACK_DEBIAN_WEB_PACKAGE_SOURCE ${KESTAL_PACKAGE_NAME})
  set(CPACK_DEBIAN_WEB_PACKAGE_ARCHITECTURE all)
  set(CPACK_DEBIAN_WEB_PACKAGE_SUGGESTS "kestal-hall, nginx | httpd")
  set(CPACK_DEBIAN_WEB_DESCRIPTION
      "keyboard space shooter with homing space mines, for web browsers
KESTAL 2 is a keyboard-driven 2-D space shooter: a small ship with inertial
thrusters, a laser, shields and engine heat, and eleven levels of homing space
mines. This package holds its web site, the game built for web browsers (with
and without sound), in /usr/share/kestal/web, for a web server to serve. It
works offline once visited and saves and shares recordings of games.

With kestal-hall behind the same site, players can enter the hall of fame.")
endif()
