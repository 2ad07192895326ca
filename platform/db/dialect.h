// What differs between the two databases, in one place: everything a layer above would
// otherwise ask the connection's backend for. Each backend folder holds its dialect
// (sqlite/sqlite_dialect.cpp, postgres/pg_dialect.cpp); a connection hands out its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/db/row_source.h"

namespace db {

class Connection;

// A column as a table declares it, for the dialect to spell.
struct ColumnSpec {
    enum Kind { text, integer, datetime, blob, serial, utc_now };
    std::string_view name;
    Kind kind;
    int length = 0;  // text: the most characters (GBK bytes) it holds
};

class Dialect {
  public:
    virtual ~Dialect() = default;

    // The database's name in messages: "SQLite", "PostgreSQL".
    virtual const char* name() const = 0;

    // Whether a backslash in a LIKE pattern escapes the next character (PostgreSQL's
    // default), so that a literal backslash must be doubled.
    virtual bool like_escapes_backslash() const = 0;

    // "COLUMN still holds the value bound at ?": null-safe (a null equals a null). Date-time
    // columns compare as date-times, whatever their spelling where the database keeps them
    // as text.
    virtual std::string same_value(std::string_view column, bool datetime) const = 0;

    // The column's definition in CREATE TABLE, with the checks that hold both databases to
    // the same limits and types.
    virtual std::string column_definition(const ColumnSpec& column) const = 0;

    // The statement that moves a table's generated identifiers past those written
    // explicitly, or "" where the database needs none.
    virtual std::string identity_catch_up(std::string_view table,
                                          std::string_view column) const = 0;

    // Whether the database has roles that log in (a server does, a file does not).
    virtual bool has_roles() const = 0;

    // The rows of a statement for a cursor, read where they are asked for (see
    // row_source.h): on SQLite counted by a COUNT(*) of its own when asked (it counts a plain
    // statement from an index); on PostgreSQL in one round trip, as one result that says how
    // many rows it holds, or forward one row at a time. Throws db::Error when the database
    // rejects the statement.
    std::unique_ptr<RowSource> open_rows(Connection& conn, const std::string& sql,
                                         Reading reading = Reading::counted) const;
};

}  // namespace db
