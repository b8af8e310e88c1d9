# The load clients and a kestal-hall started for them, shared by the long group's soak tests
# and the load benchmark (bench/hall), whichever of the two is built first defines them.
if(NOT TARGET kestal_hall_load)
  find_package(PkgConfig REQUIRED)
  find_package(nlohmann_json REQUIRED)
  pkg_check_modules(KESTAL_LOAD_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
  add_library(kestal_hall_load STATIC
    ${CMAKE_CURRENT_LIST_DIR}/load_client.cpp
    ${CMAKE_CURRENT_LIST_DIR}/load_figures.cpp
    ${CMAKE_CURRENT_LIST_DIR}/load_recordings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/load_server.cpp)
  target_include_directories(kestal_hall_load PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(kestal_hall_load
    PUBLIC Threads::Threads
    PRIVATE PkgConfig::KESTAL_LOAD_HTTPLIB nlohmann_json::nlohmann_json)
  # The child processes of tests/support, also where the tests are not built.
  if(TARGET kestal_test_support)
    target_link_libraries(kestal_hall_load PUBLIC kestal_test_support)
  else()
    target_sources(kestal_hall_load PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/child_process.cpp)
  endif()
endif()
