// Row selection, the keys and Enter, opening the form (double click, Enter, modify,
// add) and the exit button.
#include <algorithm>

#include "platform/text/gbk.h"
#include "screens/list/w_employee.h"

namespace screens {
namespace {

// Does the employee still exist? The number is bound as typed, blanks and all.
constexpr const char* kExistenceQuery = "select eid from employee where eid = ? ";
constexpr const char* kVanishedMessage = "该员工不存在，请重新刷新数据";

}  // namespace

void w_employee::dw_1_clicked(int row) {
    if (row <= 0) return;  // header, empty space: the ancestor's handling stands
    host::uo_dwtitlesort& dw = dw_1();
    dw.selectrow(0, false);
    dw.selectrow(row, true);
    dw.scrolltorow(row);
    li_currow_ = dw.getrow();
}

void w_employee::dw_1_doubleclicked(int row) {
    if (row <= 0) return;
    open_employee(dw_1().getitemstring(row, "eid"));
}

void w_employee::highlight_by_key(int row) {
    host::uo_dwtitlesort& dw = dw_1();
    dw.scrolltorow(row);
    dw.selectrow(0, false);
    dw.selectrow(row, true);
}

void w_employee::dw_1_ue_key(int key) {
    switch (key) {
        case runtime::key::kUp:
            --li_currow_;
            if (li_currow_ < 1) {
                li_currow_ = 1;
                return;
            }
            highlight_by_key(li_currow_);
            return;
        case runtime::key::kDown:
            if (li_rowcount_ <= 0 || li_currow_ == li_rowcount_) return;
            ++li_currow_;
            highlight_by_key(li_currow_);
            return;
        // A page, or the whole list, at once: the counters and the highlight end as that
        // many arrow keys would leave them (modifiers are not read: Ctrl+Home is Home).
        case runtime::key::kPageDown:
            return key_forward(dw_1().page_rows());
        case runtime::key::kEnd:
            return key_forward(li_rowcount_);
        case runtime::key::kPageUp:
            return key_back(dw_1().page_rows());
        case runtime::key::kHome:
            return key_back(li_currow_);
        case runtime::key::kEnter:
            if (li_rowcount_ <= 0) return;
            // A row past the end yields no number, and then nothing happens.
            open_employee(dw_1().getitemstring(li_currow_, "eid"));
            return;
        default:
            return;
    }
}

void w_employee::key_forward(std::int64_t rows) {
    if (li_rowcount_ <= 0 || li_currow_ >= li_rowcount_) return;
    li_currow_ = static_cast<std::int32_t>(std::min<std::int64_t>(li_rowcount_, li_currow_ + rows));
    highlight_by_key(li_currow_);
}

void w_employee::key_back(std::int64_t rows) {
    if (li_currow_ <= 1) {
        li_currow_ = 1;  // as Up leaves it on the first row
        return;
    }
    li_currow_ = static_cast<std::int32_t>(std::max<std::int64_t>(1, li_currow_ - rows));
    highlight_by_key(li_currow_);
}

void w_employee::open_employee(const std::optional<std::string>& eid) {
    if (!eid || text::trim_blanks(*eid).empty()) return;
    runtime::Transaction& sqlca = host().sqlca;
    std::vector<db::Value> ls_temp;
    sqlca.select_into(kExistenceQuery, {db::Value(*eid)}, ls_temp);
    if (sqlca.sqlcode() != 0) {
        // Gone (or the query failed): say so and show the last search again; the
        // counters stay as they are.
        host().f_showinfo(kVanishedMessage);
        dw_1().retrieve();
        return;
    }
    open_form(*eid);
}

void w_employee::open_form(const std::string& request) {
    host().open_sheet(kFormClassName, request, kFormMenuPosition, kFormArrangement);
}

void w_employee::cb_3_clicked() {
    open_form("new");
}

void w_employee::cb_4_clicked() {
    host::uo_dwtitlesort& dw = dw_1();
    const int row = dw.getrow();
    if (row <= 0) return;
    open_employee(dw.getitemstring(row, "eid"));
}

void w_employee::cb_5_clicked() {
    request_close();
}

}  // namespace screens
