# The two editions in a browser: each is a script with its WebAssembly module and a page of
# its own; index.html is the sound edition, silent.html the silent one. The build folder
# site/ is the whole static site, ready to serve; `cmake --install` copies it.
set(KESTAL_SITE_DIR ${CMAKE_BINARY_DIR}/site)
# Where the page finds the hall of fame; empty: api/ beside the page, as a site forwarding
# its own /api/ (tools/site/serve.js --hall, the example nginx site) has it.
set(KESTAL_HALL_URL "" CACHE STRING "The hall of fame's API address as the page sees it")

# `sounds`: the effect files the page fetches, separated by blanks. Where KESTAL_WEB_APP is
# set, the page links the app's manifest and icons and keeps the site for offline play;
# KESTAL_EDITION names the edition in the replays it records.
function(kestal_web_page program page edition_line other_edition sounds)
  set(KESTAL_PROGRAM ${program})
  set(KESTAL_EDITION_LINE "${edition_line}")
  set(KESTAL_OTHER_EDITION "${other_edition}")
  set(KESTAL_SOUNDS "${sounds}")
  if(KESTAL_WEB_APP)
    set(KESTAL_APP_HEAD "<link rel=\"manifest\" href=\"kestal.webmanifest\">
<link rel=\"icon\" href=\"icons/kestal-192.png\" type=\"image/png\">
<link rel=\"apple-touch-icon\" href=\"icons/kestal-192.png\">")
    set(KESTAL_APP_BODY " data-service-worker=\"service-worker.js\"")
  else()
    set(KESTAL_APP_HEAD "<link rel=\"icon\" href=\"data:,\">")
    set(KESTAL_APP_BODY "")
  endif()
  configure_file(${KESTAL_WEB_PAGE_DIR}/edition.html.in ${KESTAL_SITE_DIR}/${page} @ONLY)
endfunction()

# What the page calls in the program (kestal-page.js), plus `extra_functions` and
# `extra_methods` of the runtime.
function(kestal_web_edition program extra_functions extra_methods)
  set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KESTAL_SITE_DIR})
  target_link_libraries(${program} PRIVATE kestal_game kestal_web kestal_headless)
  set(functions _main _malloc _free _kestal_web_key_down _kestal_web_controls
                _kestal_web_replay_lines _kestal_web_retraces _kestal_web_keep_trace
                _kestal_web_trace_text _kestal_web_watch _kestal_web_watch_speed
                _kestal_web_watch_pause _kestal_web_watch_leave _kestal_web_heap_in_use
                ${extra_functions})
  set(methods ccall setValue getValue stringToUTF8 lengthBytesUTF8 UTF8ToString ${extra_methods})
  list(JOIN functions "','" functions)
  list(JOIN methods "','" methods)
  target_link_options(${program} PRIVATE "-sEXPORTED_FUNCTIONS=['${functions}']"
                      "-sEXPORTED_RUNTIME_METHODS=['${methods}']")
endfunction()

# The page's own scripts and style, and the pages that need no configuring (the hall of
# fame's), beside the programs; KESTAL_WEB_SITE_FILES lists them.
function(kestal_web_page_files)
  file(GLOB files CONFIGURE_DEPENDS RELATIVE ${KESTAL_WEB_PAGE_DIR} ${KESTAL_WEB_PAGE_DIR}/*.js
       ${KESTAL_WEB_PAGE_DIR}/*.css ${KESTAL_WEB_PAGE_DIR}/*.html)
  set(copies "")
  foreach(file IN LISTS files)
    configure_file(${KESTAL_WEB_PAGE_DIR}/${file} ${KESTAL_SITE_DIR}/${file} COPYONLY)
    list(APPEND copies ${KESTAL_SITE_DIR}/${file})
  endforeach()
  set(KESTAL_WEB_SITE_FILES ${copies} PARENT_SCOPE)
endfunction()

set(KESTAL_WEB_APP ON)
add_executable(kestal-silent kestal_silent_main.cpp)
kestal_web_edition(kestal-silent "" "")
set(KESTAL_EDITION silent)
kestal_web_page(kestal-silent silent.html "The silent edition: no sound."
                "<a class=\"button\" href=\"index.html\">Play with sound</a>" "")

add_executable(kestal kestal_main.cpp web_sound_probe.cpp)
# The page fetches the effects and writes them into the program's file system, and silences
# them while it is hidden; embedding pages and tests may ask OpenAL what plays.
kestal_web_edition(kestal "_kestal_web_looping_sources;_kestal_web_pause_audio"
                   "addRunDependency;removeRunDependency;FS")
target_link_libraries(kestal PRIVATE kestal_sound)
target_link_options(kestal PRIVATE -sFORCE_FILESYSTEM=1)
set(KESTAL_EDITION sound)
kestal_web_page(kestal index.html "With sound: switch it on in your browser if it is muted."
                "<a class=\"button\" href=\"silent.html\">Play without sound</a>"
                "Warp.wav Shield.wav Laser.wav Hit.wav Explosion.wav")

kestal_web_page_files()

# "Save video": the page's worker (video-worker.js) runs kestal-video, the replay tool's
# headless run with its frames and sound handed to the browser's encoders, as an ES module.
add_executable(kestal-video ${PROJECT_SOURCE_DIR}/platform/web/video/video_maker.cpp)
set_target_properties(kestal-video PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KESTAL_SITE_DIR})
target_link_libraries(kestal-video PRIVATE kestal_replay_session kestal_asyncify)
target_link_options(kestal-video PRIVATE -sMODULARIZE=1 -sEXPORT_ES6=1 -sENVIRONMENT=worker
                    -sEXPORT_NAME=createVideoMaker -sFORCE_FILESYSTEM=1
                    "-sEXPORTED_FUNCTIONS=['_kestal_video_make']"
                    "-sEXPORTED_RUNTIME_METHODS=['ccall','FS']")

# Its muxer, mediabunny, comes from npm at the version the lock file pins, and only the parts
# the worker imports are bundled (by esbuild, pinned alike) into the site's vendor/, served
# from the site itself.
find_program(KESTAL_NPM_EXECUTABLE npm REQUIRED)
set(muxer_source ${PROJECT_SOURCE_DIR}/platform/web/video)
set(muxer_work ${CMAKE_CURRENT_BINARY_DIR}/muxer)
set(muxer_bundle ${KESTAL_SITE_DIR}/vendor/mediabunny.js)
file(MAKE_DIRECTORY ${muxer_work})
add_custom_command(
  OUTPUT ${muxer_bundle}
  COMMAND ${CMAKE_COMMAND} -E copy ${muxer_source}/package.json ${muxer_source}/package-lock.json
          ${muxer_source}/muxer.js ${muxer_work}
  COMMAND ${KESTAL_NPM_EXECUTABLE} ci --prefer-offline --no-audit --no-fund --loglevel=error
  COMMAND node_modules/.bin/esbuild muxer.js --bundle --minify
          --format=esm --legal-comments=inline --log-level=warning --outfile=${muxer_bundle}
  DEPENDS ${muxer_source}/package.json ${muxer_source}/package-lock.json ${muxer_source}/muxer.js
  WORKING_DIRECTORY ${muxer_work}
  COMMENT "Bundling the video muxer from npm (mediabunny)"
  VERBATIM)
add_custom_target(kestal_video_muxer ALL DEPENDS ${muxer_bundle})

# The effects are served beside the page, in sound/.
set(site_sounds "")
foreach(name Warp Shield Laser Hit Explosion)
  set(from ${CMAKE_BINARY_DIR}/sound/${name}.wav)
  set(to ${KESTAL_SITE_DIR}/sound/${name}.wav)
  add_custom_command(OUTPUT ${to} COMMAND ${CMAKE_COMMAND} -E copy ${from} ${to}
                     DEPENDS ${from} kestal_sound_files VERBATIM)
  list(APPEND site_sounds ${to})
endforeach()
add_custom_target(kestal_site_sounds ALL DEPENDS ${site_sounds})

include(${CMAKE_CURRENT_LIST_DIR}/web_app.cmake)
# The finished site, as it is served.
install(DIRECTORY ${KESTAL_SITE_DIR}/ DESTINATION .)
