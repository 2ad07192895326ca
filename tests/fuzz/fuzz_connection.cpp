// Connection strings and URLs: an ADO-style string becomes a database URL or is refused with
// ConnectionStringError; a password never shows in a masked text; masking is idempotent;
// placeholders are numbered only outside quotes.
#include "platform/ado/connection_string.h"
#include "platform/db/connection.h"
#include "platform/db/postgres/pg_connection.h"
#include "platform/db/sql_scanner.h"
#include "tests/fuzz/fuzz.h"

namespace {

constexpr std::string_view kSecret = "Zq7secretXw";

void masking(std::string_view any) {
    const std::string once = db::masked(any);
    fuzz::check(db::masked(once) == once, "masking a masked text changed it");
    db::existing_only(any);
}

void connection_string(std::string_view any) {
    for (const std::string& cs :
         {std::string(any), std::string(any) + ";Password=" + std::string(kSecret),
          "Provider=PostgreSQL;Password=" + std::string(kSecret) + ";" + std::string(any)}) {
        std::string url;
        try {
            url = ado::database_url(cs);
        } catch (const ado::ConnectionStringError&) {
            continue;
        }
        fuzz::check(url.starts_with("sqlite:") || url.starts_with("postgresql://") ||
                        url.starts_with("postgres://"),
                    "a URL of neither database: " + url);
        if (any.find(kSecret.substr(0, 3)) == std::string_view::npos) {
            fuzz::check(db::masked(url).find(kSecret) == std::string::npos,
                        "the password shows in the masked URL: " + db::masked(url));
            fuzz::check(db::masked(cs).find(kSecret) == std::string::npos,
                        "the password shows in the masked string: " + db::masked(cs));
        }
    }
}

void placeholders(std::string_view sql) {
    const std::string out = db::sql::number_questions(sql);
    if (sql.find('?') == std::string_view::npos)
        fuzz::check(out == sql, "text without placeholders changed");
    else
        fuzz::check(out.size() >= sql.size(), "numbering placeholders lost text");
}

}  // namespace

std::vector<std::string> fuzz::seeds() {
    return {"Provider=SQLite;Data Source=/tmp/hr.db",
            "Provider=PostgreSQL;Host=127.0.0.1;Port=5432;Database=hr;User ID=me;Password=pw;"
            "Options=-csearch_path=x",
            "postgresql://postgres:pw@127.0.0.1:54329/postgres?options=-csearch_path%3Dx",
            "sqlite:/tmp/a.db?mode=ro",
            "SELECT * FROM t WHERE a = ? AND b = '?' -- ?\n AND c = ?",
            "Provider=PostgreSQL;Host=\"a;b\";Database='x''y'"};
}

std::vector<std::string> fuzz::tokens() {
    return {";Password=", ";Pwd=", "User ID=",     "postgresql://",   "@",         ":", "%3D", "?",
            "''",         "\"\"",  "Data Source=", "Provider=SQLite", "options=-c"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in = fuzz::as_text(data, size);
    masking(in);
    connection_string(in);
    placeholders(in);
    return 0;
}
