#include "component/department_tree.h"

#include <algorithm>
#include <bitset>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "component/reads.h"
#include "component/row_block.h"
#include "component/statements.h"
#include "platform/com/bstr.h"

namespace tarvo {

using namespace com;

namespace {

RowBlock read_level(Gateway& gateway, const std::u16string& statement) {
    StaticCursor cursor = gateway.open(statement);
    RowBlock out(cursor.field_count());
    for (long c = 0; c < out.columns(); ++c) out.names.push_back(cursor.field_name(c));
    while (!cursor.eof()) {
        std::size_t row = out.add_row();
        for (long c = 0; c < out.columns(); ++c) cursor.read_value(c, &out.cell(row, c));
        cursor.move_next();
    }
    cursor.close();
    return out;
}

// Cells column after column on the heap. The table lives only while the tree is built, so
// it is no SAFEARRAY: a large one is mapped afresh from the system, page by page, every call.
class Cells {
  public:
    Cells() = default;
    Cells(std::size_t rows, std::size_t columns)
        : rows_(rows), columns_(columns), cells_(rows * columns, var_empty()) {}
    Cells(Cells&&) noexcept = default;
    Cells& operator=(Cells&&) noexcept = default;
    ~Cells() {
        for (VARIANT& v : cells_) VariantClear(&v);
    }
    std::size_t columns() const { return columns_; }
    const VARIANT& at(std::size_t row, std::size_t column) const {
        return cells_[row + column * rows_];
    }
    VARIANT* slot(std::size_t row, std::size_t column) { return &cells_[row + column * rows_]; }
    VARIANT take(std::size_t row, std::size_t column) {
        return std::exchange(cells_[row + column * rows_], var_empty());
    }

  private:
    std::size_t rows_ = 0, columns_ = 0;
    std::vector<VARIANT> cells_;
};

// The whole table in one array in the cursor's order, sized by the cursor's row count, each
// value converted once from the cursor straight into its cell. The array lies column after
// column, as the result does: taking one column over in tree order stays within the small
// span of that column.
struct Table {
    std::vector<std::u16string> names;
    Cells cells;
    std::size_t rows = 0;  // rows read (rows added since the count are left out)
};

Table read_table(Gateway& gateway, const std::u16string& statement) {
    StaticCursor cursor = gateway.open(statement);
    Table out;
    const long count = cursor.record_count(), columns = cursor.field_count();
    out.cells = Cells(static_cast<std::size_t>(count), static_cast<std::size_t>(columns));
    for (long c = 0; c < columns; ++c) out.names.push_back(cursor.field_name(c));
    for (; out.rows < static_cast<std::size_t>(count) && !cursor.eof(); ++out.rows) {
        for (long c = 0; c < columns; ++c) cursor.read_value(c, out.cells.slot(out.rows, c));
        cursor.move_next();
    }
    cursor.close();
    return out;
}

// A whole number held by `v`, or nothing (NULL, text, fractions).
std::optional<std::int64_t> whole_number(const VARIANT& v) {
    switch (v.vt) {
        case VT_I2:
            return v.iVal;
        case VT_I4:
            return v.lVal;
        case VT_I8:
            return v.llVal;
        case VT_UI1:
            return v.bVal;
        case VT_R8:
            // Only whole numbers well inside 64 bits; anything else names no department.
            if (v.dblVal >= -9e15 && v.dblVal <= 9e15 && v.dblVal == std::trunc(v.dblVal))
                return static_cast<std::int64_t>(v.dblVal);
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

// A DeptID as the walk keeps it: the 16-bit identifier, or one of these markers.
constexpr std::int32_t kNotWhole = INT32_MIN, kOutside16Bits = INT32_MIN + 1;

std::int32_t id_of(const VARIANT& cell) {
    std::optional<std::int64_t> id = whole_number(cell);
    if (!id) return kNotWhole;
    if (*id < -32768 || *id > 32767) return kOutside16Bits;
    return static_cast<std::int32_t>(*id);
}

// The identifier of a department about to be expanded: `id` (from id_of), read from its
// first column `cell`.
short department_id(std::int32_t id, const VARIANT& cell) {
    if (id == kNotWhole)
        fail(TARVO_E_CONVERSION, "department tree: a DeptID that is not a whole number (" +
                                     variant_text(cell) +
                                     ") cannot be read as a 16-bit identifier");
    if (id == kOutside16Bits)
        fail(TARVO_E_OVERFLOW, "department tree: DeptID " + std::to_string(*whole_number(cell)) +
                                   " does not fit 16 bits");
    if (id == 0)
        fail(TARVO_E_CYCLE, std::string("department tree: a department has DeptID 0, which ") +
                                "stands for the top level; the tree would never end");
    return static_cast<short>(id);
}

long column_named(const std::vector<std::u16string>& names, std::u16string_view wanted) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].size() != wanted.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < wanted.size() && same; ++k) {
            char16_t a = names[i][k], b = wanted[k];
            if (a >= u'A' && a <= u'Z') a += 32;
            if (b >= u'A' && b <= u'Z') b += 32;
            same = a == b;
        }
        if (same) return static_cast<long>(i);
    }
    return -1;
}

// The table's rows grouped by parent, in the order they came: for each parent its first
// child, and for each row the next row with the same parent. Parents are counted from the
// smallest one present, so the lists take room for the identifiers in use only.
class TreeWalk {
  public:
    TreeWalk(Table& table, short start) : table_(table), ids_(table.rows), next_(table.rows) {
        long parent_column = column_named(table_.names, u"DeptParentID");
        if (parent_column < 0) fail(TARVO_E_CONVERSION, "HR_Dept has no column DeptParentID");
        std::vector<std::int32_t> parents(table_.rows);
        std::int32_t low = 32767, high = -32768;
        for (std::size_t i = 0; i < table_.rows; ++i) {
            // Kept apart from the cells: the walk visits rows out of order.
            ids_[i] = table_.cells.columns() ? id_of(table_.cells.at(i, 0)) : kNotWhole;
            parents[i] = id_of(table_.cells.at(i, parent_column));
            if (parents[i] < -32768) continue;  // NULL or no 16-bit identifier: no parent
            low = std::min(low, parents[i]);
            high = std::max(high, parents[i]);
        }
        low_ = low;
        first_.assign(high >= low ? high - low + 1 : 0, -1);
        // Pushed to the front from the last row up, so each list keeps the rows' order.
        for (std::size_t i = table_.rows; i-- > 0;) {
            if (parents[i] < -32768) continue;
            std::int32_t& head = first_[parents[i] - low_];
            next_[i] = head;
            head = static_cast<std::int32_t>(i);
        }
        if (start != 0) mark(start);
    }

    // Appends row `row` of the level and all of its descendants to `out` (level rows as
    // -1 - row, table rows as their number), depth first, without recursion (a chain of
    // departments may be tens of thousands deep).
    void add_subtree(RowBlock& level, std::size_t row, std::vector<std::int32_t>& out) {
        if (level.columns() == 0) fail(TARVO_E_CONVERSION, "HR_Dept has no columns");
        const VARIANT& id_cell = level.cell(row, 0);
        visit(department_id(id_of(id_cell), id_cell), -1 - static_cast<std::int32_t>(row), out);
        while (!pending_.empty()) {
            std::int32_t i = pending_.back();
            if (i < 0) {
                pending_.pop_back();
                continue;
            }
            pending_.back() = next_[i];
            if (table_.cells.columns() == 0) fail(TARVO_E_CONVERSION, "HR_Dept has no columns");
            visit(department_id(ids_[i], table_.cells.at(i, 0)), i, out);
        }
    }

  private:
    void visit(short id, std::int32_t placed, std::vector<std::int32_t>& out) {
        mark(id);
        out.push_back(placed);
        std::int32_t k = id - low_;
        if (k >= 0 && k < static_cast<std::int32_t>(first_.size()) && first_[k] >= 0)
            pending_.push_back(first_[k]);
    }
    void mark(short id) {
        std::size_t bit = static_cast<unsigned short>(id);
        if (seen_.test(bit))
            fail(TARVO_E_CYCLE, "department tree: the parent links form a cycle through DeptID " +
                                    std::to_string(id));
        seen_.set(bit);
    }

    Table& table_;
    std::vector<std::int32_t> ids_;      // each row's DeptID (id_of)
    std::vector<std::int32_t> next_;     // the next row with the same parent, or -1
    std::vector<std::int32_t> first_;    // per parent from low_: its first row, or -1
    std::vector<std::int32_t> pending_;  // per open level: the next child to visit
    std::int32_t low_ = 0;
    std::bitset<65536> seen_;
};

}  // namespace

ResultArray department_tree(Gateway& gateway, short parent) {
    RowBlock level = read_level(gateway, in_key_order(department_level(parent), u"DeptID"));
    Table table;
    std::vector<std::int32_t> order;  // the result's rows: -1 - level row, or table row
    if (level.rows() > 0) {
        table = read_table(gateway, in_key_order(department_page(), u"DeptID"));
        TreeWalk walk(table, parent);
        for (std::size_t r = 0; r < level.rows(); ++r) walk.add_subtree(level, r, order);
    }
    const long columns = level.columns();
    ResultArray out(order.size() + 1, columns);
    for (long c = 0; c < columns; ++c) out.put(0, c, var_text(std::u16string_view(level.names[c])));
    for (long c = 0; c < columns; ++c) {  // column by column, as both arrays lie
        for (std::size_t r = 0; r < order.size(); ++r) {
            std::int32_t from = order[r];
            if (from >= 0 && c < static_cast<long>(table.cells.columns()))
                *out.slot(r + 1, c) = table.cells.take(from, c);
            else if (from < 0)
                *out.slot(r + 1, c) = std::exchange(level.cell(-1 - from, c), var_empty());
        }
    }
    return out;
}

}  // namespace tarvo
