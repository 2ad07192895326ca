// sort: reorders the primary buffer by one column.
#include <algorithm>
#include <numeric>

#include "platform/runtime/datawindow/data_window.h"
#include "platform/text/gbk.h"

namespace runtime {

int DataWindow::sort(std::string_view column, bool ascending) {
    const int c = column_of(column);
    if (c < 0) return -1;
    if (pending_ && accepttext() != 1) return -1;
    // Keys in code page 936, so Chinese text sorts as the users' own tools sort it.
    std::vector<std::optional<std::string>> keys;
    keys.reserve(rows_.size());
    for (const Row& r : rows_) {
        auto v = value(r, c);
        if (!v) {
            keys.emplace_back();
            continue;
        }
        try {
            keys.emplace_back(text::to_gbk(*v));
        } catch (const text::EncodingError&) {
            keys.emplace_back(std::string(*v));
        }
    }
    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto& ka = keys[a];
        const auto& kb = keys[b];
        if (ascending) return !ka ? kb.has_value() : (kb && *ka < *kb);
        return !kb ? ka.has_value() : (ka && *kb < *ka);
    });
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    int new_current = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (static_cast<int>(order[i]) + 1 == current_row_) new_current = static_cast<int>(i) + 1;
        sorted.push_back(std::move(rows_[order[i]]));
    }
    rows_ = std::move(sorted);
    notify([](DataWindowObserver& o) { o.rows_reset(); });
    set_current(new_current, current_column_);
    return 1;
}

}  // namespace runtime
