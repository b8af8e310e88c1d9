# The store: every case on SQLite every day; the same cases on a throw-away PostgreSQL
# cluster in HallStorePostgres (label postgresql).
find_package(PkgConfig REQUIRED)
pkg_check_modules(KESTAL_TEST_SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
pkg_check_modules(KESTAL_TEST_PQXX REQUIRED IMPORTED_TARGET libpqxx)

add_executable(hall_store_tests store_test.cpp)
target_link_libraries(hall_store_tests PRIVATE kestal_hall_store kestal_test_support
                      PkgConfig::KESTAL_TEST_SQLITE3
                      PkgConfig::KESTAL_TEST_PQXX GTest::gmock GTest::gtest_main Threads::Threads)
# Here the SQLite cases; the PostgreSQL ones run in HallStorePostgres, on its cluster.
# Cases a file cannot have (a connection to lose, a server to stop answering) are PostgreSQL's.
gtest_discover_tests(hall_store_tests TEST_FILTER
  -*/Postgres:*.ConnectsAgainWhenCutOff/Sqlite:*.ADatabaseThatStopsAnsweringIsGivenUpInTime/Sqlite)

add_test(NAME HallStorePostgres
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/postgresql_for_test.sh $<TARGET_FILE:hall_store_tests>
                 --gtest_filter=*Postgres*)
set_tests_properties(HallStorePostgres PROPERTIES LABELS postgresql TIMEOUT 120
                                                  SKIP_RETURN_CODE 77)
