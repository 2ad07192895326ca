// The list driven by a script of user actions; the transcript is compared line by line
// with the one kept beside the script. On both databases.
#include "tests/screens/screen_fixture.h"

namespace {

class ListScript : public screens_test::ScreenScriptTest {};

TEST_P(ListScript, TranscriptMatches) {
    expect_transcript(TARVO_LIST_SCRIPTS, "list");
}

INSTANTIATE_TEST_SUITE_P(Backends, ListScript,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
