# Writes the site's service worker (cmake -P): the list of the site's files, relative to it,
# and a digest of their contents that names this release's cache.
#   -DSITE_DIR=... -DTEMPLATE=service-worker.js.in -DOUTPUT=.../service-worker.js
file(GLOB_RECURSE files RELATIVE ${SITE_DIR} ${SITE_DIR}/*)
list(REMOVE_ITEM files service-worker.js)
list(SORT files)
set(listing "")
set(quoted "")
foreach(name IN LISTS files)
  file(SHA256 ${SITE_DIR}/${name} digest)
  string(APPEND listing "${name} ${digest}\n")
  list(APPEND quoted "'${name}'")
endforeach()
string(SHA256 KESTAL_SITE_DIGEST "${listing}")
string(SUBSTRING ${KESTAL_SITE_DIGEST} 0 16 KESTAL_SITE_DIGEST)
list(JOIN quoted ", " KESTAL_SITE_FILES)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
