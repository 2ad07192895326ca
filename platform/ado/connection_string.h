// Connection strings: the ADO form ("Provider=SQLite;Data Source=PATH",
// "Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...;Password=...") or a URL of
// db::connect (sqlite:PATH, postgresql://...), turned into the URL db::connect opens.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace ado {

struct ConnectionStringError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

// `user` and `password` (the arguments of Open) override those of the string when not empty.
// PostgreSQL also takes `Options` (server options such as -csearch_path=x), `SSL Mode` and
// `Connect Timeout` (the seconds to wait for the server to answer: default 10, 0 for ever).
// Throws ConnectionStringError for an unknown provider or key, or a missing database.
std::string database_url(std::string_view connection_string, std::string_view user = {},
                         std::string_view password = {});

}  // namespace ado
