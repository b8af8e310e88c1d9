# The long group: kestal-hall killed under a crowd of submissions, on SQLite restarted in
# place, and behind the shipped nginx site on one PostgreSQL shared by two instances of which
# one dies; its PostgreSQL restarted and stopped under load; slow clients and a flood from
# many addresses. Nothing acknowledged may be lost, nothing kept twice, and the hall answers
# throughout.
add_executable(hall_soak_tests soak_test.cpp flood_test.cpp nginx_front.cpp)
target_compile_definitions(hall_soak_tests PRIVATE
  KESTAL_HALL_BINARY="$<TARGET_FILE:kestal-hall>"
  KESTAL_NGINX_SITE="${PROJECT_SOURCE_DIR}/packaging/hall/nginx-site"
  KESTAL_WHOLE_GAME="${PROJECT_SOURCE_DIR}/tests/regression/whole_game.keys")
target_link_libraries(hall_soak_tests PRIVATE kestal_hall_load kestal_test_support
                      nlohmann_json::nlohmann_json GTest::gtest_main)
add_dependencies(hall_soak_tests kestal-hall)

add_test(NAME hall_soak_sqlite
         COMMAND hall_soak_tests --gtest_filter=HallSoak.SqliteKilledTwiceLosesNothing)
set_tests_properties(hall_soak_sqlite PROPERTIES LABELS "soak;server" TIMEOUT 240)
# Both PostgreSQL cases on one database; alone, since one of them stops and starts the
# cluster that other tests may share.
add_test(NAME hall_soak_postgresql
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/postgresql_for_test.sh
                 $<TARGET_FILE:hall_soak_tests> --gtest_filter=HallSoak.Postgresql*)
set_tests_properties(hall_soak_postgresql PROPERTIES
  LABELS "soak;server;postgresql" TIMEOUT 300 SKIP_RETURN_CODE 77 RUN_SERIAL TRUE)
add_test(NAME hall_soak_flood COMMAND hall_soak_tests --gtest_filter=HallFlood.*)
set_tests_properties(hall_soak_flood PROPERTIES LABELS "soak;server" TIMEOUT 240 RUN_SERIAL TRUE)
