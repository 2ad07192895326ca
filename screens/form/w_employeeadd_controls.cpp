#include "screens/form/w_employeeadd_controls.h"

#include "screens/form/w_employeeadd.h"

namespace screens {

w_employeeadd_dw_1::w_employeeadd_dw_1(w_employeeadd& window)
    : DataWindowControl("dw_1"), window_(window) {}

int w_employeeadd_dw_1::constructor() {
    window_.dw_1_constructor();
    return 0;
}

int w_employeeadd_dw_1::doubleclicked(int, int, int, const std::string& object) {
    window_.dw_1_doubleclicked(object);
    return 0;
}

int w_employeeadd_dw_1::dberror(const runtime::DbError& error) {
    return window_.dw_1_dberror(error);
}

}  // namespace screens
