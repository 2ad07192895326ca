// The one reading of SQL text: what is code, quoted text, a quoted name, a comment or a
// placeholder, including the spellings where scanners go wrong.
#include "platform/db/sql_scanner.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using db::sql::Kind;

// The pieces as "K:text", K one letter: c code, t text, n name, m comment, ? $ : placeholders.
std::vector<std::string> pieces(std::string_view sql) {
    static const char* kLetters = "ctnm?$:";
    std::vector<std::string> out;
    db::sql::Scanner scanner(sql);
    std::string joined;
    for (db::sql::Piece p; scanner.next(p);) {
        out.push_back(std::string(1, kLetters[static_cast<int>(p.kind)]) + ":" +
                      std::string(p.text));
        joined += p.text;
    }
    EXPECT_EQ(joined, sql) << "the pieces are the whole statement";
    return out;
}

using P = std::vector<std::string>;

TEST(SqlScanner, QuotesNamesAndCommentsHideWhatLooksLikeCode) {
    EXPECT_EQ(pieces("select 'it''s ?', \"a \"\"?\"\" b\" from t"),
              (P{"c:select ", "t:'it''s ?'", "c:, ", "n:\"a \"\"?\"\" b\"", "c: from t"}));
    EXPECT_EQ(pieces("a -- c ? 'x\nb /* x /* nested ? */ y */ c"),
              (P{"c:a ", "m:-- c ? 'x", "c:\nb ", "m:/* x /* nested ? */ y */", "c: c"}));
    EXPECT_EQ(pieces("E'a\\'?' e'\\\\' name'x'"),
              (P{"t:E'a\\'?'", "c: ", "t:e'\\\\'", "c: name", "t:'x'"}));
    EXPECT_EQ(pieces("$$a'?$$ || $fn$ $$ ? $fn$ a$b$c"),
              (P{"t:$$a'?$$", "c: || ", "t:$fn$ $$ ? $fn$", "c: a$b$c"}));
    EXPECT_EQ(pieces("'open ? to the end"), (P{"t:'open ? to the end"}));
    EXPECT_EQ(pieces("/* open"), (P{"m:/* open"}));
}

TEST(SqlScanner, PlaceholdersOfEveryKindButNotCasts) {
    EXPECT_EQ(pieces("x = ? and y = $12 and z = :eid and w::text = a:b"),
              (P{"c:x = ", "?:?", "c: and y = ", "$:$12", "c: and z = ", ":::eid",
                 "c: and w::text = a", ":::b"}));
    EXPECT_EQ(pieces("x$1"), (P{"c:x$1"}));  // a name, not a placeholder
    EXPECT_EQ(db::sql::number_questions("select ? , '?', \"a?\" -- ?\n, ? /* ? */, $$?$$, ?"),
              "select $1 , '?', \"a?\" -- ?\n, $2 /* ? */, $$?$$, $3");
}

TEST(SqlScanner, AFinalOrderByIsFoundOnlyWhereItOrdersTheWholeStatement) {
    const auto cut = [](std::string_view sql) {
        const std::size_t at = db::sql::final_order_by(sql);
        return at == std::string_view::npos ? std::string("none") : std::string(sql.substr(at));
    };
    EXPECT_EQ(cut("select * from t order by a desc"), "order by a desc");
    EXPECT_EQ(cut("select * from t ORDER\n  BY a"), "ORDER\n  BY a");
    EXPECT_EQ(cut("select * from (select a from t order by a) s"), "none");
    EXPECT_EQ(cut("select * from t order by a limit 5"), "none");
    EXPECT_EQ(cut("select * from t order by a offset 5"), "none");
    EXPECT_EQ(cut("select 'order by x' from t -- order by y"), "none");
    EXPECT_EQ(cut("select \"order by\" from t /* order by z */"), "none");
    EXPECT_EQ(cut("select reorder by from t"), "none");
    EXPECT_EQ(cut("select * from t order by a, (b) limit_x"), "order by a, (b) limit_x");
}

// A name with a double quote stays one identifier, and the scanner reads it back whole.
TEST(SqlScanner, QuotedIdentifiersHoldAnyName) {
    EXPECT_EQ(db::sql::quote_identifier("clerk"), "\"clerk\"");
    const std::string odd = db::sql::quote_identifier("a\"; DROP ROLE x; --");
    EXPECT_EQ(odd, "\"a\"\"; DROP ROLE x; --\"");
    EXPECT_EQ(db::sql::number_questions("ALTER ROLE " + odd + " ?"), "ALTER ROLE " + odd + " $1");
}

}  // namespace
