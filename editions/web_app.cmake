# The site as an installable app that plays offline: a web app manifest, icons drawn by the
# game itself (kestal-icon, run by Node.js) and a service worker that keeps every file of the
# release. Included by web_editions.cmake once every other file of the site has its rule.

set(icon_work ${CMAKE_CURRENT_BINARY_DIR}/app-icons)
set(site_icons ${KESTAL_SITE_DIR}/icons/kestal-192.png ${KESTAL_SITE_DIR}/icons/kestal-512.png
               ${KESTAL_SITE_DIR}/icons/kestal-maskable-512.png)
add_custom_command(
  OUTPUT ${site_icons}
  COMMAND kestal-icon ${icon_work} 192 512
  COMMAND kestal-icon --maskable ${icon_work} 512
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTAL_SITE_DIR}/icons
  COMMAND ${CMAKE_COMMAND} -E copy ${icon_work}/192x192/kestal.png ${KESTAL_SITE_DIR}/icons/kestal-192.png
  COMMAND ${CMAKE_COMMAND} -E copy ${icon_work}/512x512/kestal.png ${KESTAL_SITE_DIR}/icons/kestal-512.png
  COMMAND ${CMAKE_COMMAND} -E copy ${icon_work}/512x512/kestal-maskable.png
          ${KESTAL_SITE_DIR}/icons/kestal-maskable-512.png
  DEPENDS kestal-icon
  COMMENT "Drawing the web app's icons"
  VERBATIM)

configure_file(${KESTAL_WEB_PAGE_DIR}/kestal.webmanifest.in ${KESTAL_SITE_DIR}/kestal.webmanifest
               COPYONLY)

# The service worker lists the files of the finished site, so it is written last, whenever
# any of them changes.
set(service_worker ${KESTAL_SITE_DIR}/service-worker.js)
add_custom_command(
  OUTPUT ${service_worker}
  COMMAND ${CMAKE_COMMAND} -DSITE_DIR=${KESTAL_SITE_DIR}
          -DTEMPLATE=${KESTAL_WEB_PAGE_DIR}/service-worker.js.in -DOUTPUT=${service_worker}
          -P ${KESTAL_WEB_PAGE_DIR}/service_worker.cmake
  DEPENDS ${site_icons} ${KESTAL_SITE_DIR}/kestal.webmanifest ${KESTAL_WEB_SITE_FILES}
          ${KESTAL_WEB_PAGE_DIR}/service-worker.js.in ${KESTAL_WEB_PAGE_DIR}/service_worker.cmake
          kestal kestal-silent kestal-video kestal_site_sounds ${muxer_bundle}
  COMMENT "Writing the service worker"
  VERBATIM)
add_custom_target(kestal_web_app ALL DEPENDS ${service_worker})
