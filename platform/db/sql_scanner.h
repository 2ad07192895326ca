// The one reading of SQL text that tells a statement's words from what only looks like them:
// quoted text ('...', with '' inside, and E'...' with backslash escapes), quoted names
// ("..."), comments (-- to the end of the line, /* ... */ nested as PostgreSQL nests them),
// dollar-quoted text ($$...$$, $tag$...$tag$), and the placeholders '?', '$n' and ':name'
// (a cast '::' is none). Everything else is code. Unterminated text, names and comments run
// to the end of the statement.
//
// Placeholders are numbered for PostgreSQL, named retrieval arguments bound, and a final
// ORDER BY found, all through this one reading.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace db::sql {

enum class Kind {
    code,
    text,      // '...', E'...', $tag$...$tag$
    name,      // "..."
    comment,   // -- ..., /* ... */
    question,  // ?
    numbered,  // $1, $2, ...
    named,     // :name
};

struct Piece {
    Kind kind;
    std::string_view text;  // as written, quotes and markers included
};

// Reads a statement piece by piece; the pieces, in order, are the whole statement.
class Scanner {
  public:
    explicit Scanner(std::string_view sql) : sql_(sql) {}
    // The next piece; false at the end of the statement.
    bool next(Piece& piece);

  private:
    std::size_t end_of_code(std::size_t from) const;
    std::size_t end_of_quoted(std::size_t from, char quote, bool backslash_escapes) const;
    std::size_t end_of_block_comment(std::size_t from) const;
    // The length of the dollar-quote tag ("$tag$") starting at `at`, or 0 when none starts.
    std::size_t dollar_tag(std::size_t at) const;

    std::string_view sql_;
    std::size_t at_ = 0;
};

// `sql` with each '?' outside quotes, names and comments numbered $1, $2, ... in order.
std::string number_questions(std::string_view sql);

// `name` as a quoted identifier ("a""b"): the object is called exactly that.
std::string quote_identifier(std::string_view name);

// Where a final ORDER BY of the statement starts (outside quotes, comments and parentheses),
// or npos: none, or one followed by LIMIT or OFFSET (which then choose the rows).
std::size_t final_order_by(std::string_view sql);

}  // namespace db::sql
