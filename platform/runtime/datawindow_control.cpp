#include "platform/runtime/datawindow_control.h"

#include "platform/runtime/application.h"
#include "platform/runtime/window.h"

namespace runtime {

DataWindowControl::DataWindowControl(std::string name)
    : Control(Kind::data_window, std::move(name)) {
    set_dberror_handler([this](const DbError& e) {
        if (run_event("dberror", [&] { return dberror(e); }) == 1) return;
        Interaction* ui = interaction();
        if (!ui) return;
        MessageBoxRequest box;
        box.origin = "db-error";
        box.title = "数据库错误";
        box.text = "数据库操作失败（错误代码 " + std::to_string(e.code) + "）：" + e.text;
        if (e.row > 0) box.text += "\n行：" + std::to_string(e.row);
        if (!e.sql.empty()) box.text += "\nSQL：" + e.sql;
        box.icon = Icon::stop_sign;
        ui->message_box(box);
    });
    set_itemerror_handler([this](const ItemError& e) {
        Interaction* ui = interaction();
        if (!ui) return;
        MessageBoxRequest box;
        box.origin = "item-error";
        box.title = "数据窗口错误";
        box.text = e.message;
        box.icon = Icon::exclamation;
        ui->message_box(box);
    });
    set_path_resolver([this](std::string_view path) {
        Window* w = parent();
        try {
            if (w) return w->app().files().map(path).string();
        } catch (const NullObjectError&) {
        }
        return std::string(path);  // not in an opened window: the path as given
    });
}

Interaction* DataWindowControl::interaction() const {
    Window* w = parent();
    if (!w) return nullptr;
    try {
        return &w->app().interaction();
    } catch (const NullObjectError&) {
        return nullptr;  // a window no application opened: nobody to tell
    }
}

int DataWindowControl::set_dataobject(std::string_view name) {
    const int r = DataWindow::set_dataobject(name);
    if (r == 1) assign(dataobject_, std::string(name), "dataobject");
    return r;
}

bool DataWindowControl::focus_leaving() {
    if (edit_pending() && accepttext() != 1) return false;  // refused: reported, focus stays
    killfocus();
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

std::pair<int, int> DataWindowControl::object_position(int row, std::string_view object) const {
    const Definition* def = definition();
    const ObjectDef* o = def ? def->object(object) : nullptr;
    if (!o) return {0, 0};
    int y = o->rect.y + o->rect.height / 2;
    if (o->band == Band::detail && row > 0)
        y += def->band_height(Band::header) + (row - 1) * def->band_height(Band::detail);
    return {o->rect.x + o->rect.width / 2, y};
}

bool DataWindowControl::user_click(int row, const std::string& object) {
    if (!enabled() || !visible()) return false;
    if (setfocus() != 1) return false;  // the focus stays with a refused edit elsewhere
    if (row < 1 || row > rowcount()) row = 0;
    if (row > 0) {
        setrow(row);
        if (const Definition* def = definition(); def && def->column_index(object) >= 0)
            setcolumn(object);
    }
    auto [x, y] = object_position(row, object);
    trigger_clicked(x, y, row, object);
    return true;
}

bool DataWindowControl::user_doubleclick(int row, const std::string& object) {
    if (!user_click(row, object)) return false;
    if (row < 1 || row > rowcount()) row = 0;
    auto [x, y] = object_position(row, object);
    trigger_doubleclicked(x, y, row, object);
    return true;
}

}  // namespace runtime
