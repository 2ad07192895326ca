// The list driven by a script of user actions; the transcript is compared line by line
// with the one kept beside the script. On both databases.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/runtime/script_driver.h"
#include "tests/screens/list/list_fixture.h"

namespace list_test {
namespace {

std::vector<std::string> lines_of(std::istream& in) {
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

class ListScript : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        other = database.connect();
        schema::create(*other);
        std::filesystem::create_directories(files.drive_c());
        h.gs_username = "admin";
        ASSERT_EQ(h.sqlca.connect(database.url()), 0) << h.sqlca.sqlerrtext();
        h.register_classes();
        library = testing_support::load_screens(h);
        driver.set_database(other.get());
        driver.set_opener([this](std::string_view name, std::optional<std::string> parm) {
            return app.open_sheet(name, h.w_main(), std::move(parm), 0, 0);
        });
    }

    testing_support::TestDatabase database{GetParam()};
    testing_support::TempDir dir;
    std::unique_ptr<db::Connection> other;
    runtime::ScriptedInteraction ui;
    runtime::Files files{dir / "drive_c"};
    runtime::Application app{ui, files};
    host::Host h{app};
    std::unique_ptr<host::ScreenLibrary> library;
    std::ostringstream out;
    runtime::ScriptDriver driver{app, ui, out};
};

TEST_P(ListScript, TranscriptMatches) {
    const std::filesystem::path scripts = TARVO_LIST_SCRIPTS;
    std::ifstream script(scripts / "list.script");
    ASSERT_TRUE(script) << "missing " << (scripts / "list.script");
    EXPECT_EQ(driver.run(script), 0);

    std::ifstream expected_file(scripts / "list.expected");
    const std::vector<std::string> expected = lines_of(expected_file);
    std::istringstream transcript(out.str());
    const std::vector<std::string> got = lines_of(transcript);
    for (std::size_t i = 0; i < std::max(expected.size(), got.size()); ++i)
        EXPECT_EQ(i < got.size() ? got[i] : "(missing)",
                  i < expected.size() ? expected[i] : "(none)")
            << "transcript line " << i + 1;
    if (::testing::Test::HasFailure()) std::cerr << out.str();
}

INSTANTIATE_TEST_SUITE_P(Backends, ListScript,
                         ::testing::ValuesIn(testing_support::backend_names()));

}  // namespace
}  // namespace list_test
