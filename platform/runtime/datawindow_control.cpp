#include "platform/runtime/datawindow_control.h"

#include <algorithm>

#include "platform/db/error_reason.h"
#include "platform/runtime/application.h"
#include "platform/runtime/transaction.h"
#include "platform/runtime/window.h"

namespace runtime {

DataWindowControl::DataWindowControl(std::string name)
    : Control(Kind::data_window, std::move(name)) {
    // Errors go to the window's application; a control no application opened has nobody
    // to tell.
    data_.set_dberror_handler([this](const DbError& e) {
        if (run_event("dberror", [&] { return dberror(e); }) == 1) return;
        Application* app = application();
        if (!app) return;
        // The cause in plain words first, when it is a common one; the database's own
        // code and text after it, for the administrator.
        std::string text = "数据库操作失败（错误代码 " + std::to_string(e.code) + "）：" + e.text;
        if (std::string cause = db::common_reason(e.code, e.sqlstate, e.text); !cause.empty())
            text = cause + "。\n" + text;
        if (e.row > 0) text += "\n行：" + std::to_string(e.row);
        if (!e.sql.empty()) text += "\nSQL：" + e.sql;
        app->show_message(parent(), "db-error", "数据库错误", text, Icon::stop_sign);
    });
    data_.set_itemerror_handler([this](const ItemError& e) {
        if (Application* app = application())
            app->show_message(parent(), "item-error", "数据窗口错误", e.message, Icon::exclamation);
    });
    data_.set_path_resolver([this](std::string_view path) {
        Application* app = application();
        return app ? app->files().map(path).string() : std::string(path);
    });
}

Application* DataWindowControl::application() const {
    Window* w = parent();
    if (!w) return nullptr;
    try {
        return &w->app();
    } catch (const NullObjectError&) {
        return nullptr;
    }
}

int DataWindowControl::set_dataobject(std::string_view name) {
    Application* app = application();
    auto found = app ? app->definition(name) : nullptr;
    if (!found) return -1;
    data_.set_definition(std::move(found));
    assign(dataobject_, std::string(name), "dataobject");
    return 1;
}

bool DataWindowControl::focus_leaving() {
    if (data_.edit_pending() && data_.accepttext() != 1) return false;  // refused: focus stays
    data_.killfocus();
    return true;
}

int DataWindowControl::clicked(int, int, int, const std::string&) {
    return 0;
}
int DataWindowControl::doubleclicked(int, int, int, const std::string&) {
    return 0;
}
int DataWindowControl::ue_key(int, unsigned) {
    return 0;
}
int DataWindowControl::dberror(const DbError&) {
    return 0;
}

int DataWindowControl::saveasxlsx(std::string_view path) {
    return data_.saveasxlsx(path, parent() ? parent()->title() : std::string());
}

bool DataWindowControl::keeps_tab() const {
    const Definition* def = definition();
    return def && def->next_in_tab_order(-1) >= 0;
}

int DataWindowControl::key_down(int key, unsigned flags) {
    const int rc = ue_key(key, flags);
    const Definition* def = definition();
    if (key != key::kTab || !def || getrow() < 1) return rc;
    const int next = def->next_in_tab_order(getcolumn() - 1, (flags & key::kShift) != 0);
    if (next >= 0 && accepttext() == 1) setcolumn(next + 1);
    return rc;
}

int DataWindowControl::trigger_clicked(int x, int y, int row, const std::string& object) {
    return run_event("clicked", [&] { return clicked(x, y, row, object); });
}

int DataWindowControl::trigger_doubleclicked(int x, int y, int row, const std::string& object) {
    return run_event("doubleclicked", [&] { return doubleclicked(x, y, row, object); });
}

int DataWindowControl::page_rows() const {
    constexpr int kScrollBarHeight = 64;  // layout units: 16 pixels
    const Definition* def = definition();
    const int line = def ? def->band_height(Band::detail) : 0;
    if (line <= 0) return 1;
    const int room =
        height() - def->band_height(Band::header) - (hscrollbar_ ? kScrollBarHeight : 0);
    return std::max(1, room / line);
}

std::pair<int, int> DataWindowControl::object_position(int row, std::string_view object) const {
    const Definition* def = definition();
    const ObjectDef* o = def ? def->object(object) : nullptr;
    if (!o) return {0, 0};
    int y = o->rect.y + o->rect.height / 2;
    if (o->band == Band::detail && row > 0)
        y += def->band_height(Band::header) + (row - 1) * def->band_height(Band::detail);
    return {o->rect.x + o->rect.width / 2, y};
}

}  // namespace runtime
