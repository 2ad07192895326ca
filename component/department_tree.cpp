#include "component/department_tree.h"

#include <algorithm>
#include <bitset>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "component/reads.h"
#include "component/statements.h"
#include "platform/com/bstr.h"

namespace tarvo {

using namespace com;

namespace {

// Whether `v` holds a whole number (not NULL, a text or a fraction), and which. No
// std::optional: it is asked for two cells of every department.
bool whole_number(const VARIANT& v, std::int64_t& n) {
    switch (v.vt) {
        case VT_I2:
            n = v.iVal;
            return true;
        case VT_I4:
            n = v.lVal;
            return true;
        case VT_I8:
            n = v.llVal;
            return true;
        case VT_UI1:
            n = v.bVal;
            return true;
        case VT_R8:
            // Only whole numbers well inside 64 bits; anything else names no department.
            if (!(v.dblVal >= -9e15 && v.dblVal <= 9e15 && v.dblVal == std::trunc(v.dblVal)))
                return false;
            n = static_cast<std::int64_t>(v.dblVal);
            return true;
        default:
            return false;
    }
}

// A DeptID or DeptParentID as the walk keeps it: the 16-bit identifier, or one of these
// markers (all below -32768).
constexpr std::int32_t kNotWhole = INT32_MIN, kOutside16Bits = INT32_MIN + 1, kNull = INT32_MIN + 2;

std::int32_t id_of(const VARIANT& cell) {
    if (cell.vt == VT_NULL) return kNull;
    std::int64_t id;
    if (!whole_number(cell, id)) return kNotWhole;
    if (id < -32768 || id > 32767) return kOutside16Bits;
    return static_cast<std::int32_t>(id);
}

// Why a department about to be expanded cannot be: `id` (from id_of) read from its first
// column `cell`.
[[noreturn]] void refuse_department(std::int32_t id, const VARIANT& cell) {
    std::int64_t n = 0;
    if (id == kOutside16Bits && whole_number(cell, n))
        fail(TARVO_E_OVERFLOW,
             "department tree: DeptID " + std::to_string(n) + " does not fit 16 bits");
    if (id != 0)
        fail(TARVO_E_CONVERSION, "department tree: a DeptID that is not a whole number (" +
                                     variant_text(cell) +
                                     ") cannot be read as a 16-bit identifier");
    fail(TARVO_E_CYCLE, std::string("department tree: a department has DeptID 0, which ") +
                            "stands for the top level; the tree would never end");
}

// The identifier of a department about to be expanded: `id` (from id_of), read from its
// first column `cell`.
short department_id(std::int32_t id, const VARIANT& cell) {
    if (id < -32768 || id == 0) refuse_department(id, cell);
    return static_cast<short>(id);
}

// The column of the listing's header row named `wanted` (ASCII letters in any case), or -1.
long column_named(const ResultArray& listing, std::u16string_view wanted) {
    for (std::size_t c = 0; c < listing.columns(); ++c) {
        const VARIANT& name = listing.at(0, c);
        if (name.vt != VT_BSTR) continue;
        std::u16string_view have = bstr_view(name.bstrVal);
        if (have.size() != wanted.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < wanted.size() && same; ++k) {
            char16_t x = have[k], y = wanted[k];
            if (x >= u'A' && x <= u'Z') x += 32;
            if (y >= u'A' && y <= u'Z') y += 32;
            same = x == y;
        }
        if (same) return static_cast<long>(c);
    }
    return -1;
}

// The departments of a listing of the whole table (row 0 the header, row i + 1 department
// i): each one's DeptID and DeptParentID as identifiers (id_of), read in one pass down the
// two columns, so the walk, which visits departments out of order, never goes back to the
// cells for them.
class Departments {
  public:
    explicit Departments(const ResultArray& listing)
        : listing_(listing), parent_column_(column_named(listing, u"DeptParentID")) {
        const std::size_t count = listing.rows() ? listing.rows() - 1 : 0;
        ids.resize(count, kNotWhole);
        parents.resize(count, kNotWhole);
        if (listing.columns() > 0)
            for (std::size_t i = 0; i < count; ++i) ids[i] = id_of(listing.at(i + 1, 0));
        if (parent_column_ >= 0)
            for (std::size_t i = 0; i < count; ++i)
                parents[i] = id_of(listing.at(i + 1, parent_column_));
    }

    std::size_t count() const { return ids.size(); }
    bool has_parent_column() const { return parent_column_ >= 0; }
    // The first cell of department `i`, its DeptID.
    const VARIANT& id_cell(std::size_t i) const { return listing_.at(i + 1, 0); }
    // Whether the level statement of `parent` selects department `i`: DeptParentID NULL for
    // 0, equal to `parent` otherwise (a fraction, a text or a number outside 16 bits never is).
    bool in_level(std::size_t i, short parent) const {
        return parents[i] == (parent == 0 ? kNull : parent);
    }

    std::vector<std::int32_t> ids, parents;  // kNotWhole for a missing column

  private:
    const ResultArray& listing_;
    long parent_column_;
};

// The table's rows grouped by parent, in the order they came: for each parent its first
// child, and for each row the next row with the same parent. Parents are counted from the
// smallest one present, so the lists take room for the identifiers in use only.
class TreeWalk {
  public:
    TreeWalk(const Departments& departments, short start)
        : departments_(departments), next_(departments.count()) {
        if (!departments_.has_parent_column())
            fail(TARVO_E_CONVERSION, "HR_Dept has no column DeptParentID");
        const std::vector<std::int32_t>& parents = departments_.parents;
        std::int32_t low = 32767, high = -32768;
        for (std::int32_t p : parents) {
            if (p < -32768) continue;  // NULL or no 16-bit identifier: no parent
            low = std::min(low, p);
            high = std::max(high, p);
        }
        low_ = low;
        first_.assign(high >= low ? high - low + 1 : 0, -1);
        // Pushed to the front from the last row up, so each list keeps the rows' order.
        for (std::size_t i = departments_.count(); i-- > 0;) {
            if (parents[i] < -32768) continue;
            std::int32_t& head = first_[parents[i] - low_];
            next_[i] = head;
            head = static_cast<std::int32_t>(i);
        }
        if (start != 0) mark(start);
    }

    // Appends department `i` and all of its descendants to `out`, depth first, without
    // recursion (a chain of departments may be tens of thousands deep).
    void add_subtree(std::size_t i, std::vector<std::int32_t>& out) {
        visit(static_cast<std::int32_t>(i), out);
        while (!pending_.empty()) {
            std::int32_t i = pending_.back();
            if (i < 0) {
                pending_.pop_back();
                continue;
            }
            pending_.back() = next_[i];
            visit(i, out);
        }
    }

  private:
    void visit(std::int32_t i, std::vector<std::int32_t>& out) {
        short id = department_id(departments_.ids[i], departments_.id_cell(i));
        mark(id);
        out.push_back(i);
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

    const Departments& departments_;
    std::vector<std::int32_t> next_;     // the next department with the same parent, or -1
    std::vector<std::int32_t> first_;    // per parent from low_: its first child, or -1
    std::vector<std::int32_t> pending_;  // per open level: the next child to visit
    std::int32_t low_ = 0;
    std::bitset<65536> seen_;
};

}  // namespace

ResultArray department_tree(Gateway& gateway, short parent) {
    // The level statement tells whether `parent` has children at all. When it has, they come
    // with every deeper level from one full listing of the table, which then becomes the
    // result: its rows are put in tree order where they are.
    {
        StaticCursor level = gateway.open(in_key_order(department_level(parent), u"DeptID"), true);
        if (level.eof()) {
            const long columns = level.field_count();
            ResultArray out(1, columns);
            for (long c = 0; c < columns; ++c)
                out.put(0, c, var_text(std::u16string_view(level.field_name(c))));
            level.close();
            return out;
        }
        level.close();
    }
    ResultArray listing = full_listing(gateway, in_key_order(department_page(), u"DeptID"));
    Departments departments(listing);
    TreeWalk walk(departments, parent);
    std::vector<std::int32_t> order;  // departments in tree order
    order.reserve(departments.count());
    // Both statements are ordered by the key, so the level's departments come in its order.
    for (std::size_t i = 0; i < departments.count(); ++i)
        if (departments.in_level(i, parent)) walk.add_subtree(i, order);
    listing.reorder_rows(1, order);
    return listing;
}

}  // namespace tarvo
