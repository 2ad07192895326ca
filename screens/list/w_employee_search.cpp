// The search (cb_1): rebuild the grid's SELECT from the saved one and the two boxes, fill
// the grid, highlight the first row and reset the counters.
#include "platform/db/dialect.h"
#include "screens/list/search_filter.h"
#include "screens/list/w_employee.h"

namespace screens {
namespace {

LikeBackslash like_backslash(runtime::Transaction& sqlca) {
    db::Connection* conn = sqlca.connection();
    return conn && conn->dialect().like_escapes_backslash() ? LikeBackslash::escape
                                                            : LikeBackslash::literal;
}

}  // namespace

void w_employee::cb_1_clicked() {
    const std::string id = sle_id().text();
    const std::string name = sle_name().text();
    // Built on ls_sql every time, so conditions never pile up across searches.
    const std::string select = search_select(ls_sql_, id, name, like_backslash(host().sqlca));

    host::uo_dwtitlesort& dw = dw_1();
    dw.setsqlselect(select);
    dw.retrieve();
    dw.selectrow(0, false);
    dw.selectrow(1, true);
    dw.scrolltorow(1);
    dw.setfocus();

    li_currow_ = 1;
    li_rowcount_ = dw.rowcount();
}

}  // namespace screens
