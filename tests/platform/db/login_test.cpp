// Logging in with a password on a real server with SCRAM authentication: the password the
// server wants is named as such, a wrong one is refused, the right one works and can be kept
// in the password file; the user the database knows is the role that logged in.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <fstream>

#include "platform/db/connection.h"
#include "tests/support/password_role.h"
#include "tests/support/scoped_env.h"
#include "tests/support/test_db.h"

namespace {

namespace fs = std::filesystem;
using testing_support::PasswordRole;
using testing_support::ScopedEnv;
using testing_support::TestDatabase;

class PgLogin : public ::testing::Test {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        if (!role.available()) GTEST_SKIP() << role.skip_reason();
    }
    // What connecting with `password` brings: "connected", "wanted", "refused" or an error.
    std::string attempt(const std::string& password) {
        try {
            db::connect(role.url(), password);
            return "connected";
        } catch (const db::PasswordNeeded& e) {
            EXPECT_EQ(e.login().user, role.name());
            EXPECT_EQ(e.login().host, "127.0.0.1");
            EXPECT_EQ(e.sqlstate(), "28P01");
            return e.refused() ? "refused" : "wanted";
        }
    }

    TestDatabase database{"postgresql"};
    testing_support::TempDir dir;
    const ScopedEnv no_password{"PGPASSWORD", std::nullopt};
    const ScopedEnv pass_file{"PGPASSFILE", (dir / "pgpass").string()};
    PasswordRole role{database, "clerk", "s3cret:\\pw"};
};

TEST_F(PgLogin, ThePasswordIsAskedForRefusedWhenWrongAndTaken) {
    EXPECT_EQ(attempt(""), "wanted");
    EXPECT_EQ(attempt("wrong"), "refused");
    EXPECT_EQ(attempt(role.password()), "connected");
    auto conn = db::connect(role.url(), role.password());
    EXPECT_EQ(conn->authenticated_user(), role.name());
    EXPECT_NE(conn->location().find("127.0.0.1:"), std::string::npos) << conn->location();
}

TEST_F(PgLogin, ARememberedPasswordGoesToAPrivateFileAndServesTheNextLogIn) {
    std::ofstream(dir / "pgpass") << "# kept\nother:5432:*:someone:x\n";
    fs::permissions(dir / "pgpass", fs::perms::owner_read | fs::perms::owner_write);
    db::PasswordNeeded::Login login;
    try {
        db::connect(role.url());
        FAIL() << "the server wants a password";
    } catch (const db::PasswordNeeded& e) {
        login = e.login();
    }
    db::remember_password(login, "an old one");
    db::remember_password(login, role.password());  // replaces the line, ':' and '\' escaped
    EXPECT_EQ(attempt(""), "connected");
    std::ifstream in(dir / "pgpass");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(all.find("an old one"), std::string::npos) << all;
    EXPECT_NE(all.find("# kept\nother:5432:*:someone:x\n"), std::string::npos) << all;
    EXPECT_NE(all.find(":" + role.name() + ":s3cret\\:\\\\pw\n"), std::string::npos) << all;
    EXPECT_EQ(fs::status(dir / "pgpass").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(LoginSqlite, AFileKnowsItsUserAsTheSystemAccountNotTheEnvironment) {
    testing_support::TempDir dir;
    const ScopedEnv user("USER", "somebody-else");
    auto conn = db::connect("sqlite:" + (dir / "t.db").string());
    const passwd* account = ::getpwuid(::geteuid());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(conn->authenticated_user(), account->pw_name);
    EXPECT_EQ(conn->location(), (dir / "t.db").string());
    EXPECT_THROW(conn->set_role_password("x", "y"), db::Error);
}

}  // namespace
