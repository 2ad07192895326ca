// The raw baselines of the data component's reads: the same statement read with the bare
// SQLite or libpq API into the same array of the same values the component returns (a
// SAFEARRAY of VARIANT, first index the row, column names in row 0 of a listing), each value
// converted as the data-access layer converts it: NULL -> Null, integers -> I4 (I8 beyond 32
// bits), reals -> R8, text -> BSTR, byte blocks -> arrays of bytes. The benchmark tables
// declare no date or time columns (whose text the layer turns into dates).
#pragma once

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/safearray.h"
#include "platform/com/variant.h"

namespace bench_support {

inline com::VARIANT integer_cell(std::int64_t i) {
    if (i >= std::numeric_limits<com::LONG>::min() && i <= std::numeric_limits<com::LONG>::max())
        return com::var_i4(static_cast<com::LONG>(i));
    com::VARIANT v = com::var_empty();
    v.vt = com::VT_I8, v.llVal = i;
    return v;
}

inline com::VARIANT bytes_cell(const void* data, std::size_t n) {
    com::SAFEARRAYBOUND bound{static_cast<com::ULONG>(n), 0};
    com::VARIANT v = com::var_empty();
    v.vt = com::VT_ARRAY | com::VT_UI1;
    v.parray = com::SafeArrayCreate(com::VT_UI1, 1, &bound);
    if (n) std::memcpy(v.parray->pvData, data, n);
    return v;
}

inline com::VARIANT text_cell(const char* text, std::size_t n) {
    com::VARIANT v = com::var_empty();
    v.vt = com::VT_BSTR;
    v.bstrVal = com::make_bstr(std::string_view(text, n));
    return v;
}

// rows x columns cells, every one Empty.
inline com::SAFEARRAY* result_array(std::size_t rows, std::size_t columns) {
    com::SAFEARRAYBOUND bounds[2] = {{static_cast<com::ULONG>(rows), 0},
                                     {static_cast<com::ULONG>(columns), 0}};
    return com::SafeArrayCreate(com::VT_VARIANT, 2, bounds);
}

inline com::VARIANT& cell(com::SAFEARRAY* a, std::size_t row, std::size_t column) {
    return static_cast<com::VARIANT*>(a->pvData)[row + column * a->rgsabound[0].cElements];
}

// Rows of a page, collected before the array can be sized (as the component does).
inline com::SAFEARRAY* array_of_rows(std::vector<com::VARIANT>& cells, std::size_t columns) {
    if (cells.empty()) return nullptr;
    std::size_t rows = cells.size() / columns;
    com::SAFEARRAY* a = result_array(rows, columns);
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns; ++c) cell(a, r, c) = cells[r * columns + c];
    cells.clear();
    return a;
}

// --- SQLite

inline com::VARIANT sqlite_cell(sqlite3_stmt* st, int c) {
    switch (sqlite3_column_type(st, c)) {
        case SQLITE_NULL:
            return com::var_null();
        case SQLITE_INTEGER:
            return integer_cell(sqlite3_column_int64(st, c));
        case SQLITE_FLOAT:
            return com::var_r8(sqlite3_column_double(st, c));
        case SQLITE_BLOB:
            return bytes_cell(sqlite3_column_blob(st, c), sqlite3_column_bytes(st, c));
        default:
            return text_cell(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                             sqlite3_column_bytes(st, c));
    }
}

// A listing: the statement's rows counted first (the array is sized before it is filled),
// then the column names and every row.
inline com::SAFEARRAY* sqlite_listing(sqlite3* h, const std::string& sql) {
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(h, ("SELECT COUNT(*) FROM (" + sql + ") AS counted").c_str(), -1, &count,
                       nullptr);
    sqlite3_step(count);
    const std::size_t rows = static_cast<std::size_t>(sqlite3_column_int64(count, 0));
    sqlite3_finalize(count);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr);
    const int columns = sqlite3_column_count(st);
    com::SAFEARRAY* a = result_array(rows + 1, columns);
    for (int c = 0; c < columns; ++c)
        cell(a, 0, c) = com::var_text(std::string_view(sqlite3_column_name(st, c)));
    for (std::size_t r = 1; r <= rows && sqlite3_step(st) == SQLITE_ROW; ++r)
        for (int c = 0; c < columns; ++c) cell(a, r, c) = sqlite_cell(st, c);
    sqlite3_finalize(st);
    return a;
}

// A page: the rows of a LIMIT/OFFSET statement, no header; null when there are none.
inline com::SAFEARRAY* sqlite_page(sqlite3* h, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr);
    const int columns = sqlite3_column_count(st);
    std::vector<com::VARIANT> cells;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < columns; ++c) cells.push_back(sqlite_cell(st, c));
    sqlite3_finalize(st);
    return array_of_rows(cells, columns);
}

// --- PostgreSQL (the whole result read at once with PQexec)

inline com::VARIANT pg_cell(const PGresult* res, int r, int c) {
    if (PQgetisnull(res, r, c)) return com::var_null();
    const char* v = PQgetvalue(res, r, c);
    switch (PQftype(res, c)) {
        case 20:  // int8, int2, int4
        case 21:
        case 23:
            return integer_cell(std::strtoll(v, nullptr, 10));
        case 700:  // float4, float8
        case 701:
            return com::var_r8(std::strtod(v, nullptr));
        default:
            return text_cell(v, PQgetlength(res, r, c));
    }
}

inline com::SAFEARRAY* pg_listing(PGconn* conn, const std::string& sql) {
    PGresult* res = PQexec(conn, sql.c_str());
    const int rows = PQntuples(res), columns = PQnfields(res);
    com::SAFEARRAY* a = result_array(rows + 1, columns);
    for (int c = 0; c < columns; ++c)
        cell(a, 0, c) = com::var_text(std::string_view(PQfname(res, c)));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) cell(a, r + 1, c) = pg_cell(res, r, c);
    PQclear(res);
    return a;
}

inline com::SAFEARRAY* pg_page(PGconn* conn, const std::string& sql) {
    PGresult* res = PQexec(conn, sql.c_str());
    const int rows = PQntuples(res), columns = PQnfields(res);
    com::SAFEARRAY* a = rows ? result_array(rows, columns) : nullptr;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) cell(a, r, c) = pg_cell(res, r, c);
    PQclear(res);
    return a;
}

// The number of rows of a result array (0 for none), which it then frees.
inline long rows_of(com::SAFEARRAY* a) {
    if (!a) return 0;
    com::LONG hi;
    com::SafeArrayGetUBound(a, 1, &hi);
    com::SafeArrayDestroy(a);
    return hi + 1;
}

}  // namespace bench_support
