// main() of the test programs without a QApplication.
#include <gtest/gtest.h>

#include "tests/support/test_main.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return testing_support::run_all_tests();
}
