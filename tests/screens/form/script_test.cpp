// The form driven by a script of user actions, opened from the list and on its own; the
// transcript is compared line by line with the one kept beside the script. On both
// databases.
#include "tests/screens/form/form_fixture.h"

namespace {

class FormScript : public screens_test::ScreenScriptTest {};

TEST_P(FormScript, TranscriptMatches) {
    // The picture files the script chooses.
    form_test::write_file(files.map("c:\\photos\\zhang.jpg"), form_test::pattern(40000, 1));
    form_test::write_file(files.map("c:\\photos\\empty.jpg"), {});
    expect_transcript(TARVO_FORM_SCRIPTS, "form");
}

INSTANTIATE_TEST_SUITE_P(Backends, FormScript,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
