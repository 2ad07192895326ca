// The end of every test program: runs the tests and turns "this could not run here" into the
// exit status CTest counts as skipped, so a run without a PostgreSQL server says so in its
// summary instead of counting the skipped cases as passed.
#pragma once

namespace testing_support {

// The exit status CTest's SKIP_RETURN_CODE names (cmake/test_suites.cmake).
constexpr int kSkippedExit = 77;

// Part of every skip message of a case that needs the test server and has none.
constexpr const char* kNoServerMark = "TARVO_TEST_PG_URL is not set";

// RUN_ALL_TESTS(); but kSkippedExit when nothing failed and either no test passed (all
// skipped, or none selected) or a case was skipped for want of the test server.
int run_all_tests();

}  // namespace testing_support
