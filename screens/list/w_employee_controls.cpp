#include "screens/list/w_employee_controls.h"

#include "screens/list/w_employee.h"

namespace screens {

w_employee_dw_1::w_employee_dw_1(w_employee& window) : uo_dwtitlesort("dw_1"), window_(window) {}

int w_employee_dw_1::constructor() {
    uo_dwtitlesort::constructor();
    window_.dw_1_constructor();
    return 0;
}

int w_employee_dw_1::clicked(int x, int y, int row, const std::string& object) {
    uo_dwtitlesort::clicked(x, y, row, object);
    window_.dw_1_clicked(row);
    return 0;
}

int w_employee_dw_1::doubleclicked(int x, int y, int row, const std::string& object) {
    uo_dwtitlesort::doubleclicked(x, y, row, object);
    window_.dw_1_doubleclicked(row);
    return 0;
}

int w_employee_dw_1::ue_key(int key, unsigned /*keyflags*/) {
    window_.dw_1_ue_key(key);
    return 0;
}

}  // namespace screens
