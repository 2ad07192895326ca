#include "component/department_tree.h"

#include <bitset>
#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "component/reads.h"
#include "component/statements.h"
#include "platform/com/bstr.h"

namespace tarvo {

using namespace com;

namespace {

// A statement's rows as one block of cells, row after row, each value converted once from
// the cursor. The tree's result takes the cells over without copying them.
struct Block {
    std::vector<std::u16string> names;
    std::vector<Variant> cells;
    long columns = 0;
    std::size_t rows = 0;

    Variant* row(std::size_t r) { return cells.data() + r * columns; }
};

// Where a row of the result is now: its cells and how many there are.
struct Placed {
    Variant* cells;
    long columns;
};

Block read_block(Gateway& gateway, const std::u16string& statement) {
    StaticCursor cursor = gateway.open(statement);
    Block out;
    out.columns = cursor.field_count();
    for (long c = 0; c < out.columns; ++c) out.names.push_back(cursor.field_name(c));
    while (!cursor.eof()) {
        for (long c = 0; c < out.columns; ++c) {
            out.cells.emplace_back();
            cursor.read_value(c, out.cells.back().get());
        }
        ++out.rows;
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

// The identifier of a department about to be expanded (its first column).
short department_id(const Placed& row) {
    if (row.columns == 0) fail(TARVO_E_CONVERSION, "HR_Dept has no columns");
    std::optional<std::int64_t> id = whole_number(*row.cells[0]);
    if (!id)
        fail(TARVO_E_CONVERSION, "department tree: a DeptID that is not a whole number (" +
                                     variant_text(*row.cells[0]) +
                                     ") cannot be read as a 16-bit identifier");
    if (*id < -32768 || *id > 32767)
        fail(TARVO_E_OVERFLOW,
             "department tree: DeptID " + std::to_string(*id) + " does not fit 16 bits");
    if (*id == 0)
        fail(TARVO_E_CYCLE, std::string("department tree: a department has DeptID 0, which ") +
                                "stands for the top level; the tree would never end");
    return static_cast<short>(*id);
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

class TreeWalk {
  public:
    TreeWalk(Block& table, short start) : table_(table) {
        long parent_column = column_named(table_.names, u"DeptParentID");
        if (parent_column < 0) fail(TARVO_E_CONVERSION, "HR_Dept has no column DeptParentID");
        for (std::size_t i = 0; i < table_.rows; ++i) {
            auto parent = whole_number(*table_.row(i)[parent_column]);
            if (parent && *parent >= -32768 && *parent <= 32767)
                children_[static_cast<short>(*parent)].push_back(i);
        }
        if (start != 0) mark(start);
    }

    // Appends `row` and all of its descendants to `out`, depth first, without recursion
    // (a chain of departments may be tens of thousands deep).
    void add_subtree(Placed row, std::vector<Placed>& out) {
        struct Pending {
            const std::vector<std::size_t>* siblings;
            std::size_t next;
        };
        std::vector<Pending> stack;
        auto visit = [&](Placed r) {
            short id = department_id(r);
            mark(id);
            out.push_back(r);
            auto it = children_.find(id);
            if (it != children_.end()) stack.push_back({&it->second, 0});
        };
        visit(row);
        while (!stack.empty()) {
            Pending& top = stack.back();
            if (top.next == top.siblings->size()) {
                stack.pop_back();
                continue;
            }
            visit({table_.row((*top.siblings)[top.next++]), table_.columns});
        }
    }

  private:
    void mark(short id) {
        std::size_t bit = static_cast<unsigned short>(id);
        if (seen_.test(bit))
            fail(TARVO_E_CYCLE, "department tree: the parent links form a cycle through DeptID " +
                                    std::to_string(id));
        seen_.set(bit);
    }

    Block& table_;
    std::unordered_map<short, std::vector<std::size_t>> children_;
    std::bitset<65536> seen_;
};

}  // namespace

ResultArray department_tree(Gateway& gateway, short parent) {
    Block level = read_block(gateway, department_level(parent));
    Block table;
    std::vector<Placed> rows;  // the result's rows in order, where their cells are now
    if (level.rows > 0) {
        table = read_block(gateway, department_page());
        TreeWalk walk(table, parent);
        for (std::size_t r = 0; r < level.rows; ++r)
            walk.add_subtree({level.row(r), level.columns}, rows);
    }
    const long columns = level.columns;
    ResultArray out(rows.size() + 1, columns);
    for (long c = 0; c < columns; ++c) out.put(0, c, var_text(std::u16string_view(level.names[c])));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (long c = 0; c < columns && c < rows[r].columns; ++c)
            *out.slot(r + 1, c) = rows[r].cells[c].release();
    return out;
}

}  // namespace tarvo
