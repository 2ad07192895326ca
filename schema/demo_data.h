// Demo data of any size: employees with Chinese names and numbers like "E000123", a
// department tree, people in departments, messages between them, a few photos. Used on the
// program's first run and by the benchmarks. The same seed gives the same data.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/db/connection.h"

namespace schema {

struct DemoSize {
    int employees = 300;
    int photos = 60;  // the first `photos` employees get a picture
    int departments = 24;
    int persons = 150;
    int messages = 80;
};

// Told the number of rows of each batch written, for a progress display.
using RowsWritten = std::function<void(int rows)>;

// Fills the tables created by schema::create with the given amounts, in one transaction.
// `progress` hears the rows written so far and the rows to write, after each batch.
void fill_demo(db::Connection& conn, const DemoSize& size, std::uint32_t seed = 1,
               const std::function<void(long done, long total)>& progress = {});

// The pieces of fill_demo, for benchmarks that need one table only. Each runs in the
// caller's transaction state.
void fill_employees(db::Connection& conn, int count, int photos, std::uint32_t seed = 1,
                    const RowsWritten& written = {});
// Departments form a tree: about one in twenty is top level, the rest hang under an
// earlier department. Returns the first identifier used.
std::int64_t fill_departments(db::Connection& conn, int count, std::uint32_t seed = 1,
                              const RowsWritten& written = {});
void fill_persons(db::Connection& conn, int count, int departments, std::uint32_t seed = 1,
                  const RowsWritten& written = {});
void fill_messages(db::Connection& conn, int count, int persons, std::uint32_t seed = 1,
                   const RowsWritten& written = {});

// A small portrait (a 120 x 144 BMP) that differs with `index`.
db::Bytes demo_photo(int index);

}  // namespace schema
