// setsort and sort: ordering the primary buffer by column values.
#include <algorithm>
#include <numeric>

#include "platform/runtime/datawindow/data_window.h"
#include "platform/text/gbk.h"

namespace runtime {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A value's sort key: its GB18030 bytes (the value itself if it cannot be converted).
std::string sort_key(std::string_view value) {
    try {
        return text::to_gbk(value);
    } catch (const text::EncodingError&) {
        return std::string(value);
    }
}

}  // namespace

int DataWindow::setsort(std::string_view criteria) {
    std::vector<std::pair<int, bool>> keys;
    std::string_view rest = criteria;
    while (!trimmed(rest).empty()) {
        std::size_t comma = rest.find(',');
        std::string_view item = trimmed(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        bool ascending = true;
        std::size_t blank = item.find_last_of(" \t");
        if (blank != std::string_view::npos) {
            std::string_view order = trimmed(item.substr(blank + 1));
            if (order != "A" && order != "a" && order != "D" && order != "d") return -1;
            ascending = order == "A" || order == "a";
            item = trimmed(item.substr(0, blank));
        }
        int column = column_of(item);
        if (column < 0) return -1;
        keys.emplace_back(column, ascending);
    }
    sort_keys_ = std::move(keys);
    sort_text_ = std::string(trimmed(criteria));
    return 1;
}

int DataWindow::sort() {
    if (pending_ && accepttext() != 1) return -1;
    if (sort_keys_.empty() || rows_.size() < 2) return 1;
    // Keys once per row and criterion; nullopt sorts before every value.
    std::size_t n = rows_.size(), k = sort_keys_.size();
    std::vector<std::optional<std::string>> keys(n * k);
    for (std::size_t r = 0; r < n; ++r)
        for (std::size_t i = 0; i < k; ++i)
            if (auto v = value(rows_[r], sort_keys_[i].first)) keys[r * k + i] = sort_key(*v);
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        for (std::size_t i = 0; i < k; ++i) {
            const auto& x = keys[a * k + i];
            const auto& y = keys[b * k + i];
            if (x == y) continue;
            bool less = !x || (y && *x < *y);
            return sort_keys_[i].second ? less : !less;
        }
        return false;
    });
    layout_about_to_change.fire();
    std::vector<Row> sorted;
    sorted.reserve(n);
    std::vector<int> new_row_of(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        new_row_of[order[i] + 1] = static_cast<int>(i) + 1;
        sorted.push_back(std::move(rows_[order[i]]));
    }
    rows_ = std::move(sorted);
    const int current = current_row_ > 0 ? new_row_of[current_row_] : 0;
    layout_changed.fire(new_row_of);
    set_current(current, current_column_);
    return 1;
}

}  // namespace runtime
