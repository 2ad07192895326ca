#include "platform/runtime/datawindow/definition.h"

#include <algorithm>
#include <cctype>

#include "platform/text/gbk.h"

namespace runtime {
namespace {

bool contains_name(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return same_name(n, name); });
}

}  // namespace

bool same_name(std::string_view a, std::string_view b) {
    return text::equal_ignoring_case(a, b);
}

int Definition::column_index(std::string_view column) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (same_name(columns[i].name, column)) return static_cast<int>(i);
    return -1;
}

const ObjectDef* Definition::object(std::string_view object_name) const {
    for (const auto& o : objects)
        if (same_name(o.name, object_name)) return &o;
    return nullptr;
}

const ObjectDef* Definition::column_object(int column) const {
    if (column < 0 || column >= static_cast<int>(columns.size())) return nullptr;
    for (const auto& o : objects)
        if (o.kind == ObjectKind::column && same_name(o.name, columns[column].name)) return &o;
    return nullptr;
}

const ObjectDef* Definition::object_at(Band band, int x, int y) const {
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        const Rect& r = it->rect;
        if (it->band == band && x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height)
            return &*it;
    }
    return nullptr;
}

int Definition::band_height(Band band) const {
    for (const auto& b : bands)
        if (b.band == band) return b.height;
    return 0;
}

int Definition::next_in_tab_order(int column, bool backward) const {
    // Fields in tab order; equal tab positions keep column order.
    std::vector<std::pair<int, int>> order;  // (tab position, column)
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        const ObjectDef* o = column_object(c);
        if (o && o->tab_order > 0) order.emplace_back(o->tab_order, c);
    }
    if (order.empty()) return -1;
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const std::size_t n = order.size();
    for (std::size_t i = 0; i < n; ++i)
        if (order[i].second == column) return order[(backward ? i + n - 1 : i + 1) % n].second;
    return backward ? order.back().second : order.front().second;
}

bool Definition::is_updatable(int column) const {
    if (column < 0 || column >= static_cast<int>(columns.size())) return false;
    return contains_name(update.updatable_columns, columns[column].name);
}

bool Definition::is_key(int column) const {
    if (column < 0 || column >= static_cast<int>(columns.size())) return false;
    return contains_name(update.key_columns, columns[column].name);
}

}  // namespace runtime
