#include "tests/support/test_main.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace testing_support {

namespace {

// Whether a test was skipped because this machine has no server to test against, as
// opposed to a case that does not apply to one backend.
bool skipped_for_want_of_a_server(const testing::TestResult& result) {
    if (!result.Skipped()) return false;
    for (int i = 0; i < result.total_part_count(); ++i)
        if (std::string(result.GetTestPartResult(i).message()).find(kNoServerMark) !=
            std::string::npos)
            return true;
    return false;
}

bool any_skipped_for_want_of_a_server(const testing::UnitTest& unit) {
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const testing::TestSuite& suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t)
            if (skipped_for_want_of_a_server(*suite.GetTestInfo(t)->result())) return true;
    }
    return false;
}

}  // namespace

int run_all_tests() {
    const int status = RUN_ALL_TESTS();
    const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
    if (status != 0) return status;
    if (unit.successful_test_count() == 0) {
        std::printf("No test of this program could run here; see the reasons above.\n");
        return kSkippedExit;
    }
    if (any_skipped_for_want_of_a_server(unit)) {
        std::printf("Tests were skipped for want of a PostgreSQL server (make test starts one).\n");
        return kSkippedExit;
    }
    return 0;
}

}  // namespace testing_support
