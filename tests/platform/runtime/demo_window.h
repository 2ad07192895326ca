// A small window over the Employee table for the data-window control and driver tests:
// a search edit and button, a grid, a delete button that asks first, an export and a
// cancel button that closes the window; closing with unsaved changes asks to save.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/application.h"
#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/transaction.h"

namespace demo {

inline std::shared_ptr<runtime::Definition> grid_definition() {
    using namespace runtime;
    auto d = std::make_shared<Definition>();
    d->name = "d_demo";
    d->style = PresentationStyle::grid;
    d->bands = {{Band::header, 72}, {Band::detail, 76}};
    d->select = "SELECT eid, ename, flag FROM employee";
    ColumnDef eid, ename, flag;
    eid.name = "eid";
    eid.byte_limit = 50;
    ename.name = "ename";
    ename.byte_limit = 10;
    flag.name = "flag";
    flag.byte_limit = 1;
    flag.edit_style = EditStyle::code_table_dropdown;
    flag.code_table = {{"在职", "1"}, {"离职", "0"}};
    d->columns = {eid, ename, flag};
    int x = 10;
    for (auto [name, title] : std::vector<std::pair<std::string, std::string>>{
             {"eid", "编号"}, {"ename", "姓名"}, {"flag", "状态"}}) {
        ObjectDef t;
        t.kind = ObjectKind::text;
        t.name = name + "_t";
        t.band = Band::header;
        t.rect = {x, 4, 300, 64};
        t.text = title;
        ObjectDef c;
        c.kind = ObjectKind::column;
        c.name = name;
        c.band = Band::detail;
        c.rect = {x, 4, 300, 64};
        c.tab_order = x;
        d->objects.push_back(t);
        d->objects.push_back(c);
        d->grid_columns.push_back({name + "_t", name});
        x += 320;
    }
    d->update = {"employee", {"eid"}, {"eid", "ename", "flag"}};
    return d;
}

struct Log {
    std::vector<std::string> lines;
};

class Grid : public runtime::DataWindowControl {
  public:
    Grid(Log& log) : DataWindowControl("dw_1"), log_(log) {}
    int clicked(int x, int y, int row, const std::string& object) override {
        DataWindowControl::clicked(x, y, row, object);
        log_.lines.push_back("clicked " + std::to_string(row) + " " + object + " current " +
                             std::to_string(getrow()));
        if (row > 0) {
            selectrow(0, false);
            selectrow(row, true);
        }
        return 0;
    }
    int doubleclicked(int x, int y, int row, const std::string& object) override {
        DataWindowControl::doubleclicked(x, y, row, object);
        log_.lines.push_back("doubleclicked " + std::to_string(row) + " " + object);
        if (row > 0) {
            runtime::Window& w = parent_window();
            w.app().open_sheet("w_demo", *w.frame(), getitemstring(row, "eid"), 3, 2);
        }
        return 0;
    }
    int ue_key(int key, unsigned flags) override {
        log_.lines.push_back("ue_key " + std::to_string(key) + " " + std::to_string(flags));
        return 0;
    }
    int dberror(const runtime::DbError& e) override {
        log_.lines.push_back(std::string("dberror") + (e.conflict ? " conflict" : ""));
        return dberror_result;
    }
    // What dberror returns: 1 keeps the runtime's message box away.
    int dberror_result = 0;

  private:
    Log& log_;
};

class Window : public runtime::Window {
  public:
    Window(runtime::Transaction& sqlca, Log& log)
        : runtime::Window("w_demo"), sqlca_(sqlca), log_(log) {}

    runtime::Transaction& sqlca_;
    Log& log_;
    Grid* dw = nullptr;
    std::optional<std::string> request;

    int create() override;
    int open() override {
        request = app().message().stringparm;
        if (request) dw->retrieve();
        return 0;
    }
    int closequery() override;
};

template <class F>
struct Button : runtime::CommandButton {
    Button(std::string name, F f) : CommandButton(std::move(name)), f_(std::move(f)) {}
    int clicked() override { return f_(); }
    F f_;
};

template <class F>
runtime::CommandButton& add_button(runtime::Window& w, std::string name, std::string text, F f) {
    auto& b = w.add_control<Button<F>>(std::move(name), std::move(f));
    b.set_text(std::move(text));
    return b;
}

inline int Window::create() {
    auto& sle = add_control<runtime::SingleLineEdit>("sle_id");
    dw = &add_control<Grid>(log_);
    dw->set_dataobject("d_demo");
    dw->settransobject(&sqlca_);
    add_button(*this, "cb_find", "查询(&S)", [this, &sle] {
        std::string sql = dw->getsqlselect();
        if (!sle.text().empty()) sql += " WHERE eid LIKE '%" + sle.text() + "%'";
        dw->setsqlselect(sql + " ORDER BY eid DESC");
        dw->retrieve();
        return 0;
    });
    add_button(*this, "cb_save", "保存(&V)", [this] {
        if (dw->update() == 1) {
            sqlca_.commit();
            runtime::MessageBoxRequest box{"提示", "保存成功"};
            app().interaction().message_box(box);
        }
        return 0;
    });
    add_button(*this, "cb_del", "删除(&D)", [this] {
        runtime::MessageBoxRequest ask{"提示", "确定删除该员工吗？", runtime::Icon::question,
                                       runtime::Buttons::yes_no, 2};
        if (app().interaction().message_box(ask) == 2) return 0;
        dw->deleterow(dw->getrow());
        if (dw->update() == 1)
            sqlca_.commit();
        else
            sqlca_.rollback();
        return 0;
    });
    add_button(*this, "cb_export", "导出(&O)", [this] {
        runtime::FileDialogRequest req{runtime::FileDialogRequest::Kind::save, "导出文件",
                                       "文本文件", "EXCEL表格(.xls),*.xls"};
        auto choice = app().interaction().file_dialog(req);
        if (choice.result != 1) return 0;
        dw->saveasascii(choice.path);
        return 0;
    });
    add_button(*this, "cb_fail", "出错", [this]() -> int {
        control("cb_missing").set_enabled(false);  // a null-object error
        return 0;
    });
    auto& quit = add_button(*this, "cb_quit", "退出(&E)", [this] { return request_close(); });
    quit.set_cancel(true);
    return 0;
}

inline int Window::closequery() {
    if (dw->deletedcount() + dw->modifiedcount() == 0) return 0;
    runtime::MessageBoxRequest ask{"提示", "部分数据被改动！是否存盘？", runtime::Icon::question,
                                   runtime::Buttons::yes_no_cancel, 1};
    switch (app().interaction().message_box(ask)) {
        case 1:
            control_as<runtime::CommandButton>("cb_save").trigger_clicked();
            return 0;
        case 2:
            return 0;
        default:
            return 1;
    }
}

}  // namespace demo
