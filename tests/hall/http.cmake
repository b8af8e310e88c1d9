# The HTTP server in process with a stub verifier and a scratch SQLite store, the rate limiter
# and the command line alone, and the real kestal-hall entering a real recording.
pkg_check_modules(KESTAL_TEST_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
add_executable(hall_http_tests
  ${CMAKE_CURRENT_LIST_DIR}/http_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_limits_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_test_hall.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raw_http.cpp
  ${CMAKE_CURRENT_LIST_DIR}/time_budget_test.cpp)
target_compile_definitions(hall_http_tests PRIVATE KESTAL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(hall_http_tests PRIVATE kestal_hall_http kestal_hall_load kestal_test_support
                      PkgConfig::KESTAL_TEST_HTTPLIB GTest::gtest_main)
gtest_discover_tests(hall_http_tests PROPERTIES TIMEOUT 60)

add_executable(hall_program_tests ${CMAKE_CURRENT_LIST_DIR}/http_program_test.cpp)
target_compile_definitions(hall_program_tests PRIVATE
  KESTAL_HALL_BINARY="$<TARGET_FILE:kestal-hall>"
  KESTAL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(hall_program_tests PRIVATE kestal_hall_load kestal_test_support
                      PkgConfig::KESTAL_TEST_HTTPLIB nlohmann_json::nlohmann_json
                      GTest::gtest_main)
add_dependencies(hall_program_tests kestal-hall)
gtest_discover_tests(hall_program_tests PROPERTIES TIMEOUT 120)
