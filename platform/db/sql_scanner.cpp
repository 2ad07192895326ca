#include "platform/db/sql_scanner.h"

#include <algorithm>
#include <cctype>

namespace db::sql {
namespace {

bool word_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool word_start(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Whether `word` (upper case) stands at `at` of `code` as a whole word.
bool word_at(std::string_view code, std::size_t at, std::string_view word) {
    if (code.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(code[at + i])) != word[i]) return false;
    const bool starts = at == 0 || !word_char(code[at - 1]);
    const bool ends = at + word.size() == code.size() || !word_char(code[at + word.size()]);
    return starts && ends;
}

}  // namespace

std::size_t Scanner::dollar_tag(std::size_t at) const {
    if (at > 0 && word_char(sql_[at - 1])) return 0;  // part of a name such as a$b
    std::size_t i = at + 1;
    if (i < sql_.size() && word_start(sql_[i]))
        while (i < sql_.size() && word_char(sql_[i])) ++i;
    return i < sql_.size() && sql_[i] == '$' ? i + 1 - at : 0;
}

std::size_t Scanner::end_of_quoted(std::size_t from, char quote, bool backslash_escapes) const {
    for (std::size_t i = from + 1; i < sql_.size(); ++i) {
        if (backslash_escapes && sql_[i] == '\\') {
            ++i;
        } else if (sql_[i] == quote) {
            if (i + 1 < sql_.size() && sql_[i + 1] == quote) {
                ++i;  // a doubled quote stands for itself
            } else {
                return i + 1;
            }
        }
    }
    return sql_.size();
}

std::size_t Scanner::end_of_block_comment(std::size_t from) const {
    int depth = 0;
    for (std::size_t i = from; i + 1 < sql_.size(); ++i) {
        if (sql_[i] == '/' && sql_[i + 1] == '*') {
            ++depth;
            ++i;
        } else if (sql_[i] == '*' && sql_[i + 1] == '/') {
            ++i;
            if (--depth == 0) return i + 1;
        }
    }
    return sql_.size();
}

// Code runs until something else could start.
std::size_t Scanner::end_of_code(std::size_t from) const {
    std::size_t i = from;
    while (i < sql_.size()) {
        const char c = sql_[i];
        const char after = i + 1 < sql_.size() ? sql_[i + 1] : '\0';
        if (c == '\'' || c == '"' || c == '?') break;
        if ((c == '-' && after == '-') || (c == '/' && after == '*')) break;
        if (c == '$' && (std::isdigit(static_cast<unsigned char>(after)) || dollar_tag(i))) {
            if (i == 0 || !word_char(sql_[i - 1])) break;
        }
        if (c == ':' && after == ':') {
            i += 2;  // a cast
            continue;
        }
        if (c == ':' && word_char(after)) break;
        // E'...' begins with the E, when the E starts a word.
        if ((c == 'E' || c == 'e') && after == '\'' && (i == 0 || !word_char(sql_[i - 1]))) break;
        ++i;
    }
    return i;
}

bool Scanner::next(Piece& piece) {
    if (at_ >= sql_.size()) return false;
    const std::size_t start = at_;
    const char c = sql_[start];
    const char after = start + 1 < sql_.size() ? sql_[start + 1] : '\0';
    Kind kind = Kind::code;
    std::size_t end = start + 1;
    if (c == '\'') {
        kind = Kind::text;
        end = end_of_quoted(start, '\'', false);
    } else if ((c == 'E' || c == 'e') && after == '\'' &&
               (start == 0 || !word_char(sql_[start - 1]))) {
        kind = Kind::text;
        end = end_of_quoted(start + 1, '\'', true);
    } else if (c == '"') {
        kind = Kind::name;
        end = end_of_quoted(start, '"', false);
    } else if (c == '-' && after == '-') {
        kind = Kind::comment;
        end = std::min(sql_.find('\n', start), sql_.size());
    } else if (c == '/' && after == '*') {
        kind = Kind::comment;
        end = end_of_block_comment(start);
    } else if (c == '?') {
        kind = Kind::question;
    } else if (c == '$' && std::isdigit(static_cast<unsigned char>(after)) &&
               (start == 0 || !word_char(sql_[start - 1]))) {
        kind = Kind::numbered;
        while (end < sql_.size() && std::isdigit(static_cast<unsigned char>(sql_[end]))) ++end;
    } else if (std::size_t tag = c == '$' ? dollar_tag(start) : 0) {
        kind = Kind::text;
        const std::size_t close = sql_.find(sql_.substr(start, tag), start + tag);
        end = close == std::string_view::npos ? sql_.size() : close + tag;
    } else if (c == ':' && after != ':' && word_char(after)) {
        kind = Kind::named;
        while (end < sql_.size() && word_char(sql_[end])) ++end;
    } else {
        end = std::max(end_of_code(start), start + 1);
    }
    at_ = end;
    piece = {kind, sql_.substr(start, end - start)};
    return true;
}

std::string number_questions(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 8);
    int n = 0;
    Scanner scanner(sql);
    for (Piece p; scanner.next(p);) {
        if (p.kind == Kind::question) {
            out += '$';
            out += std::to_string(++n);
        } else {
            out += p.text;
        }
    }
    return out;
}

std::size_t final_order_by(std::string_view sql) {
    std::size_t cut = std::string_view::npos;
    int depth = 0;
    Scanner scanner(sql);
    for (Piece p; scanner.next(p);) {
        if (p.kind != Kind::code) continue;
        const std::size_t base = static_cast<std::size_t>(p.text.data() - sql.data());
        for (std::size_t i = 0; i < p.text.size(); ++i) {
            const char c = p.text[i];
            if (c == '(') ++depth;
            if (c == ')') --depth;
            if (depth != 0) continue;
            if (word_at(p.text, i, "ORDER")) {
                std::size_t j = i + 5;
                while (j < p.text.size() && std::isspace(static_cast<unsigned char>(p.text[j])))
                    ++j;
                if (word_at(p.text, j, "BY")) cut = base + i;
            } else if (cut != std::string_view::npos &&
                       (word_at(p.text, i, "LIMIT") || word_at(p.text, i, "OFFSET"))) {
                return std::string_view::npos;  // the order chooses which rows there are
            }
        }
    }
    return cut;
}

std::string quote_identifier(std::string_view name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace db::sql
