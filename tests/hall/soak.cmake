# The long group: kestal-hall killed under a crowd of submissions, on SQLite restarted in
# place, and behind nginx on one PostgreSQL shared by two instances of which one dies. Nothing
# acknowledged may be lost, nothing kept twice.
if(TRUE)
  add_executable(hall_soak_tests soak_test.cpp nginx_front.cpp)
  target_compile_definitions(hall_soak_tests PRIVATE
    KESTAL_HALL_BINARY="$<TARGET_FILE:kestal-hall>")
  target_link_libraries(hall_soak_tests PRIVATE kestal_hall_load kestal_test_support
                        nlohmann_json::nlohmann_json GTest::gtest_main)
  add_dependencies(hall_soak_tests kestal-hall)

  add_test(NAME hall_soak_sqlite
           COMMAND hall_soak_tests --gtest_filter=HallSoak.SqliteKilledTwiceLosesNothing)
  set_tests_properties(hall_soak_sqlite PROPERTIES LABELS "soak;server" TIMEOUT 240)
  add_test(NAME hall_soak_postgresql
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/postgresql_for_test.sh
                   $<TARGET_FILE:hall_soak_tests>
                   --gtest_filter=HallSoak.PostgresqlOneOfTwoBehindNginxKilledLosesNothing)
  set_tests_properties(hall_soak_postgresql PROPERTIES
    LABELS "soak;server;postgresql" TIMEOUT 240 SKIP_RETURN_CODE 77)
endif()
