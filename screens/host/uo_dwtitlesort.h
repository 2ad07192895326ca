// The host's grid control: a click on a column title sorts the rows by that column; a
// second click on the same title reverses the order. Otherwise an ordinary data-window
// control, whose events the screens extend.
#pragma once

#include <string>

#include "platform/runtime/datawindow_control.h"

namespace host {

class uo_dwtitlesort : public runtime::DataWindowControl {
  public:
    explicit uo_dwtitlesort(std::string name) : DataWindowControl(std::move(name)) {}

    int clicked(int x, int y, int row, const std::string& object) override;

    // The column the rows were last sorted by ("" before any title click), and how.
    const std::string& sort_column() const { return sort_column_; }
    bool sort_ascending() const { return ascending_; }

  private:
    // The column under a header title, or "" when `object` is no sortable title.
    std::string column_of_title(const std::string& object) const;

    std::string sort_column_;
    bool ascending_ = true;
};

}  // namespace host
