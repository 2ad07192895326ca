// dw_1 of w_employeeadd: a plain data-window control (no host ancestor) whose events run
// the window's handlers.
#pragma once

#include <string>

#include "platform/runtime/datawindow_control.h"

namespace screens {

class w_employeeadd;

class w_employeeadd_dw_1 : public runtime::DataWindowControl {
  public:
    explicit w_employeeadd_dw_1(w_employeeadd& window);

    int constructor() override;
    int doubleclicked(int x, int y, int row, const std::string& object) override;
    int dberror(const runtime::DbError& error) override;

  private:
    w_employeeadd& window_;
};

}  // namespace screens
