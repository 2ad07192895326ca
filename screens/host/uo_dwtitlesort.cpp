#include "screens/host/uo_dwtitlesort.h"

namespace host {

std::string uo_dwtitlesort::column_of_title(const std::string& object) const {
    const runtime::Definition* def = definition();
    if (!def) return "";
    const runtime::ObjectDef* title = def->object(object);
    if (!title || title->kind != runtime::ObjectKind::text || title->band != runtime::Band::header)
        return "";
    std::string detail;
    for (const auto& g : def->grid_columns)
        if (runtime::same_name(g.title_object, object)) detail = g.detail_object;
    // Without a grid layout, a caption "eid_t" names the column "eid".
    if (detail.empty() && object.size() > 2 && object.ends_with("_t"))
        detail = object.substr(0, object.size() - 2);
    return def->column_index(detail) >= 0 ? detail : "";
}

int uo_dwtitlesort::clicked(int x, int y, int row, const std::string& object) {
    DataWindowControl::clicked(x, y, row, object);
    if (row != 0) return 0;
    const std::string column = column_of_title(object);
    if (column.empty()) return 0;
    ascending_ = runtime::same_name(column, sort_column_) ? !ascending_ : true;
    sort_column_ = column;
    if (setsort(column + (ascending_ ? " A" : " D")) == 1) sort();
    return 0;
}

}  // namespace host
