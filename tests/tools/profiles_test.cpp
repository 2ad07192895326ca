// Connection profiles in tarvo.conf: where they are looked for, which file wins, what they
// may hold (never a password), and the URLs they stand for, tried on a real server.
#include "tools/common/profiles.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/db/connection.h"
#include "tests/support/scoped_env.h"
#include "tests/support/test_db.h"

namespace {

namespace fs = std::filesystem;
using profiles::Config;
using profiles::ConfigError;
using testing_support::ScopedEnv;

class Profiles : public ::testing::Test {
  protected:
    fs::path write(const std::string& name, const std::string& text) {
        const fs::path p = dir / name / "tarvo" / "tarvo.conf";
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
        return p;
    }
    // The error a file gives, or "" when it reads.
    std::string error_of(const std::string& text) {
        try {
            Config::load({write("bad", text)});
            return "";
        } catch (const ConfigError& e) {
            return e.what();
        }
    }
    testing_support::TempDir dir;
    const ScopedEnv home{"HOME", dir.path().string()};
    const ScopedEnv config_home{"XDG_CONFIG_HOME", (dir / "user").string()};
    const ScopedEnv config_dirs{"XDG_CONFIG_DIRS",
                                (dir / "site").string() + ":" + (dir / "vendor").string()};
};

TEST_F(Profiles, TheUsersFileGoesBeforeTheAdministratorsAndEachNameIsTakenOnce) {
    write("vendor", "default = far\n[far]\nsqlite = /srv/far.db\n[office]\nhost = old\n");
    write("site",
          "# the office's server\ndefault = office\n\n[office]\nhost = db.example.com\n"
          "dbname = hr\nsslmode = verify-full\n[hq]\nservice = hr main\n");
    write("user", "[mine]\n  sqlite =  /home/me/hr.db  \n");
    EXPECT_EQ(Config::search_path(),
              (std::vector<fs::path>{dir / "user/tarvo/tarvo.conf", dir / "site/tarvo/tarvo.conf",
                                     dir / "vendor/tarvo/tarvo.conf"}));
    const Config c = Config::load();
    EXPECT_EQ(c.files_read().size(), 3u);
    ASSERT_NE(c.default_profile(), nullptr);
    EXPECT_EQ(c.default_profile()->name, "office");
    EXPECT_EQ(c.find("office")->url,
              "postgresql://?host=db.example.com&dbname=hr&sslmode=verify-full");
    EXPECT_EQ(c.find("hq")->url, "postgresql://?service=hr%20main");
    EXPECT_EQ(c.find("mine")->url, "sqlite:/home/me/hr.db");
    EXPECT_EQ(c.find("far")->url, "sqlite:/srv/far.db");
    EXPECT_EQ(c.find("nowhere"), nullptr);

    write("user", "default = mine\n[mine]\nsqlite = /home/me/hr.db\n");
    EXPECT_EQ(profiles::choose_database("", ""), "sqlite:/home/me/hr.db");
    EXPECT_EQ(profiles::choose_database("", "office"),
              "postgresql://?host=db.example.com&dbname=hr&sslmode=verify-full");
    EXPECT_EQ(profiles::choose_database("sqlite:/x.db", ""), "sqlite:/x.db");
    EXPECT_THROW(profiles::choose_database("sqlite:/x.db", "office"), ConfigError);
    try {
        profiles::choose_database("", "nowhere");
        FAIL() << "no such profile";
    } catch (const ConfigError& e) {
        EXPECT_NE(std::string(e.what()).find("no profile nowhere"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find((dir / "site/tarvo/tarvo.conf").string()),
                  std::string::npos);
    }
}

TEST_F(Profiles, WithoutAnyFileThereIsNoChoiceAndTheProgramUsesItsOwnDefault) {
    EXPECT_EQ(profiles::choose_database("", ""), std::nullopt);
    EXPECT_TRUE(Config::load().files_read().empty());
}

TEST_F(Profiles, MistakesAreNamedWithTheirFileAndLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"[office]\nhost = x\npassword = s3cret\n", ":3: a password does not belong"},
        {"[office]\nhots = x\n", ":2: unknown key hots"},
        {"host = x\n", ":1: unknown setting host"},
        {"[office\n", ":1: a profile is named as [NAME]"},
        {"[office]\njust words\n", ":2: expected KEY = VALUE"},
        {"[a]\nsqlite = /a.db\nhost = x\n", ":3: sqlite = PATH stands alone"},
        {"[a]\n[b]\nsqlite = /b.db\n", ":1: profile a: names no database"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_NE(error_of(text).find(expected), std::string::npos)
            << text << " gave: " << error_of(text);
    write("user", "default = missing\n[a]\nsqlite = /a.db\n");
    EXPECT_THROW(profiles::choose_database("", ""), ConfigError);
}

// The URL a profile stands for reaches the server with libpq's own reading of it.
class PgProfiles : public Profiles {};

TEST_F(PgProfiles, AProfileReachesTheServer) {
    testing_support::TestDatabase database{"postgresql"};
    TARVO_REQUIRE_DB(database);
    const std::string url = testing_support::postgres_url();  // postgresql://USER@HOST:PORT/DB
    const auto at = url.find('@'), colon = url.rfind(':'), slash = url.rfind('/');
    write("user", "default = office\n[office]\nhost = " + url.substr(at + 1, colon - at - 1) +
                      "\nport = " + url.substr(colon + 1, slash - colon - 1) + "\ndbname = " +
                      url.substr(slash + 1) + "\nuser = " + url.substr(13, at - 13) +
                      "\napplication_name = tarvo office\n");
    auto conn = db::connect(*profiles::choose_database("", ""));
    EXPECT_EQ(conn->query_all("SELECT current_setting('application_name')").rows.at(0).at(0),
              db::Value("tarvo office"));
}

}  // namespace
