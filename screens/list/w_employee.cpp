// w_employee: properties, the ten controls, create, destroy and open.
#include "screens/list/w_employee.h"

#include "screens/list/w_employee_controls.h"

namespace screens {
namespace {

// The controls in creation order; destroy removes them in the same order.
constexpr const char* kControlNames[] = {"dw_1", "st_1", "sle_id", "st_2", "sle_name",
                                         "cb_1", "cb_3", "cb_4",   "cb_5", "cb_2"};

constexpr std::int64_t kStaticBackColor = 33089231;

struct ButtonDef {
    const char* name;
    host::XpButtonSetup setup;
    w_employee_button::Handler handler;
};

runtime::ControlFont arial_9() {
    runtime::ControlFont f;
    f.face = "Arial";
    f.height = -9;
    f.weight = 400;
    f.charset = 0;
    f.pitch = 2;
    f.family = 2;
    return f;
}

void place(runtime::Control& c, int x, int y, int width, int height, int tab_order) {
    c.move(x, y);
    c.resize(width, height);
    c.set_tab_order(tab_order);
    c.set_bringtotop(true);
}

void make_label(runtime::Window& w, const char* name, const char* text, int x, int y, int width) {
    auto& st = w.add_control<runtime::StaticText>(name);
    st.set_text(text);
    place(st, x, y, width, 60, 0);
    st.set_font(arial_9());
    st.set_text_color(runtime::kWindowTextColor);
    st.set_background_color(kStaticBackColor);
    st.set_focus_rectangle(false);
}

void make_edit(runtime::Window& w, const char* name, int x, int y, int width, int tab_order) {
    auto& sle = w.add_control<runtime::SingleLineEdit>(name);
    place(sle, x, y, width, 92, tab_order);
    sle.set_font(arial_9());
    sle.set_border_style(5);
}

}  // namespace

w_employee::w_employee(host::Host& host) : w_mysheet(host, kClassName) {
    set_title("员工管理");
    set_width(3429);
}

host::uo_dwtitlesort& w_employee::dw_1() const {
    return control_as<host::uo_dwtitlesort>("dw_1");
}

runtime::SingleLineEdit& w_employee::sle_id() const {
    return control_as<runtime::SingleLineEdit>("sle_id");
}

runtime::SingleLineEdit& w_employee::sle_name() const {
    return control_as<runtime::SingleLineEdit>("sle_name");
}

std::optional<std::string> w_employee::instance_variable(std::string_view name) const {
    if (name == "ls_sql") return ls_sql_;
    if (name == "li_currow") return std::to_string(li_currow_);
    if (name == "li_rowcount") return std::to_string(li_rowcount_);
    return w_mysheet::instance_variable(name);
}

int w_employee::create() {
    w_mysheet::create();

    auto& dw = add_control<w_employee_dw_1>(*this);
    dw.set_dataobject("D_EMPLOYEE");
    place(dw, 32, 168, 3323, 1576, 20);
    dw.set_hscrollbar(true);
    dw.set_vscrollbar(true);

    make_label(*this, "st_1", "员工编号：", 23, 60, 338);
    make_edit(*this, "sle_id", 288, 36, 498, 10);
    make_label(*this, "st_2", "姓名：", 818, 56, 315);
    make_edit(*this, "sle_name", 983, 40, 562, 20);

    const ButtonDef buttons[] = {
        {"cb_1",
         {"查询(&S)", 1591, 36, 60, "输入条件查询", "ico/find.ico"},
         &w_employee::cb_1_clicked},
        {"cb_3",
         {"添加(&S)", 1966, 32, 70, "添加一个新商品", "ico/new.ico"},
         &w_employee::cb_3_clicked},
        {"cb_4",
         {"修改(&M)", 2322, 32, 80, "修改选中的商品", "ico/edit.ico"},
         &w_employee::cb_4_clicked},
        {"cb_5", {"退出(&E)", 3026, 28, 110, nullptr, "ico/exit.ico"}, &w_employee::cb_5_clicked},
        {"cb_2",
         {"导出(&O)", 2674, 32, 80, "导出为EXCEL表格", "ico/excel.ico"},
         &w_employee::cb_2_clicked},
    };
    for (const ButtonDef& def : buttons)
        add_control<w_employee_button>(def.name, *this, def.handler).set_up(def.setup);
    control_as<w_employee_button>("cb_5").set_cancel(true);
    return 0;
}

int w_employee::destroy() {
    w_mysheet::destroy();
    for (const char* name : kControlNames) destroy_control(control(name));
    return 0;
}

int w_employee::open() {
    w_mysheet::open();
    ls_sql_ = dw_1().getsqlselect();
    return 0;
}

void w_employee::dw_1_constructor() {
    dw_1().settransobject(&host().sqlca);
}

}  // namespace screens
