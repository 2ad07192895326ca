// w_employeeadd: properties, the seven controls, create and destroy.
#include "screens/form/w_employeeadd.h"

#include "screens/form/w_employeeadd_controls.h"

namespace screens {
namespace {

// The controls in creation order; destroy removes them in the same order.
constexpr const char* kControlNames[] = {"dw_1",   "cb_add",   "cb_save", "cb_modi",
                                         "cb_del", "cb_print", "cb_7"};

using Button = host::ScreenButton<w_employeeadd>;

struct ButtonDef {
    const char* name;
    host::XpButtonSetup setup;
    Button::Handler handler;  // nullptr: the host button's clicked only
};

}  // namespace

w_employeeadd::w_employeeadd(host::Host& host) : w_mysheet(host, kClassName) {
    set_title("员工信息");
    set_width(2720);
    set_height(1836);
    set_min_box(false);
    set_max_box(false);
    set_resizable(false);
}

runtime::DataWindowControl& w_employeeadd::dw_1() const {
    return control_as<runtime::DataWindowControl>("dw_1");
}

host::uo_xpbutton& w_employeeadd::button(std::string_view name) const {
    return control_as<host::uo_xpbutton>(name);
}

std::optional<std::string> w_employeeadd::instance_variable(std::string_view name) const {
    if (name == "flag") return flag_;
    return w_mysheet::instance_variable(name);
}

void w_employeeadd::set_buttons(std::initializer_list<std::pair<const char*, bool>> states) {
    for (const auto& [name, enabled] : states) button(name).set_enabled(enabled);
}

int w_employeeadd::create() {
    w_mysheet::create();

    auto& dw = add_control<w_employeeadd_dw_1>(*this);
    dw.set_dataobject("d_employeeadd");
    dw.move(27, 36);
    dw.resize(2651, 1528);
    dw.set_tab_order(10);
    dw.set_bringtotop(true);
    dw.set_livescroll(true);
    dw.set_title("none");

    const ButtonDef buttons[] = {
        {"cb_add",
         {"新增(&A)", 315, 1600, 60, "新增加一张进货单", "ico/new.ico"},
         &w_employeeadd::cb_add_clicked},
        {"cb_save",
         {"保存(&S)", 658, 1600, 70, nullptr, "ico/save.ico"},
         &w_employeeadd::cb_save_clicked},
        {"cb_modi",
         {"修改(&M)", 1001, 1600, 80, nullptr, "ico/edit.ico"},
         &w_employeeadd::cb_modi_clicked},
        {"cb_del",
         {"删除(&D)", 1344, 1600, 90, "删除后不能恢复", "ico/delete.ico"},
         &w_employeeadd::cb_del_clicked},
        {"cb_print", {"打印(&P)", 1691, 1600, 100, nullptr, "ico/print.ico"}, nullptr},
        {"cb_7",
         {"退出(&E)", 2034, 1600, 120, nullptr, "ico/exit.ico"},
         &w_employeeadd::cb_7_clicked},
    };
    for (const ButtonDef& def : buttons)
        add_control<Button>(def.name, *this, def.handler).set_up(def.setup);
    button("cb_7").set_cancel(true);
    return 0;
}

int w_employeeadd::destroy() {
    w_mysheet::destroy();
    for (const char* name : kControlNames) destroy_control(control(name));
    return 0;
}

void w_employeeadd::dw_1_constructor() {
    dw_1().settransobject(&host().sqlca);
}

}  // namespace screens
