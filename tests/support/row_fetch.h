// Copies of a row source's rows, for checking what a static cursor reads.
#pragma once

#include <vector>

#include "platform/db/connection.h"
#include "platform/db/row_source.h"

namespace testing_support {

// Replaces `out` with copies of rows [start, start + n) (fewer at the end).
inline void fetch(db::RowSource& source, std::int64_t start, std::size_t n,
                  std::vector<std::vector<db::Value>>& out) {
    out.clear();
    for (std::int64_t i = start; out.size() < n && source.seek(i); ++i) {
        const db::Cursor& r = source.row();
        std::vector<db::Value> copy;
        for (std::size_t c = 0; c < r.column_count(); ++c) copy.push_back(r.value(c));
        out.push_back(std::move(copy));
    }
}

}  // namespace testing_support
