// The control classes of w_employee: each runs its host ancestor's handler, then the
// window's handler of the same event.
#pragma once

#include <string>

#include "screens/host/uo_dwtitlesort.h"
#include "screens/host/uo_xpbutton.h"

namespace screens {

class w_employee;

// dw_1: the host's title-sort grid presenting d_employee.
class w_employee_dw_1 : public host::uo_dwtitlesort {
  public:
    explicit w_employee_dw_1(w_employee& window);

    int constructor() override;
    int clicked(int x, int y, int row, const std::string& object) override;
    int doubleclicked(int x, int y, int row, const std::string& object) override;
    // No ancestor handler: the host's grid has no ue_key of its own.
    int ue_key(int key, unsigned keyflags) override;

  private:
    w_employee& window_;
};

// cb_1 .. cb_5: host buttons whose clicked runs one handler of the window.
using w_employee_button = host::ScreenButton<w_employee>;

}  // namespace screens
