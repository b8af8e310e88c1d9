# Verification against the replay tool's own account of the same scripts, and in a child
# process of the real kestal-hall.
add_executable(hall_verify_child_probe verify_child_probe.cpp)
add_executable(hall_verify_tests verification_test.cpp)
target_compile_definitions(hall_verify_tests PRIVATE
  KESTAL_CHILD_PROBE="$<TARGET_FILE:hall_verify_child_probe>"
  KESTAL_REPLAY_BINARY="$<TARGET_FILE:kestal-replay>"
  KESTAL_HALL_BINARY="$<TARGET_FILE:kestal-hall>"
  KESTAL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(hall_verify_tests PRIVATE kestal_hall_verify kestal_game kestal_headless
                      kestal_test_support GTest::gtest_main)
add_dependencies(hall_verify_tests kestal-replay kestal-hall hall_verify_child_probe)
gtest_discover_tests(hall_verify_tests DISCOVERY_TIMEOUT 30 TEST_FILTER -VerificationLong.*
                     PROPERTIES TIMEOUT 300)
add_test(NAME hall_verify_an_hour COMMAND hall_verify_tests --gtest_filter=VerificationLong.*)
set_tests_properties(hall_verify_an_hour PROPERTIES LABELS "soak;server" TIMEOUT 600)
