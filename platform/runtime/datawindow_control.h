// The data-window control: a control of a window that presents a data window. It is the
// data window (all its operations are the control's) and a control (position, focus,
// events). Database and item errors of its data window are shown through the runtime's
// message box; paths the data window writes or shows ("c:\...") go through the file
// service's mapping.
#pragma once

#include <string>
#include <string_view>

#include "platform/runtime/control.h"
#include "platform/runtime/datawindow/data_window.h"
#include "platform/runtime/interaction.h"

namespace runtime {

class DataWindowControl : public Control, public DataWindow {
  public:
    explicit DataWindowControl(std::string name);

    // The definition presented, by name ("D_EMPLOYEE" finds d_employee). 1, or -1 (the
    // property keeps its old value).
    int set_dataobject(std::string_view name);
    // The data object as the window stored it ("D_EMPLOYEE"); "" before one was set.
    const std::string& dataobject_property() const { return dataobject_; }

    bool hscrollbar() const { return hscrollbar_; }
    bool vscrollbar() const { return vscrollbar_; }
    bool livescroll() const { return livescroll_; }
    // The control's own title bar text ("none" shows none).
    const std::string& title() const { return title_; }
    void set_hscrollbar(bool v) { assign(hscrollbar_, v, "hscrollbar"); }
    void set_vscrollbar(bool v) { assign(vscrollbar_, v, "vscrollbar"); }
    void set_livescroll(bool v) { assign(livescroll_, v, "livescroll"); }
    void set_title(std::string v) { assign(title_, std::move(v), "title"); }

    // Focus is the window's: the control takes it and its data window follows.
    int setfocus() { return Control::setfocus(); }
    bool has_focus() const { return Control::has_focus(); }

    // Events. `row` is 0 off the data rows; `object` is the clicked object's name ("" for
    // none).
    virtual int clicked(int x, int y, int row, const std::string& object);
    virtual int doubleclicked(int x, int y, int row, const std::string& object);
    // A key pressed while the control has the focus.
    virtual int ue_key(int key, unsigned keyflags);
    // A database error of the data window, before the runtime shows it: returning 1 says
    // the handler told the user itself, and the runtime's message box is not shown.
    virtual int dberror(const DbError& error);

    int trigger_clicked(int x, int y, int row, const std::string& object);
    int trigger_doubleclicked(int x, int y, int row, const std::string& object);

    // The user clicks (or double-clicks) `object` on `row`: the control takes the focus, a
    // data row becomes current (and the column, when the object is a field), then clicked
    // (and doubleclicked) run with the object's position. False when nothing ran (the
    // control is disabled, or a refused edit elsewhere keeps the focus).
    bool user_click(int row, const std::string& object);
    bool user_doubleclick(int row, const std::string& object);

    // The centre of an object on a row, in layout units from the control's top left.
    std::pair<int, int> object_position(int row, std::string_view object) const;

    // Raises ue_key; then Tab (Shift+Tab) moves to the next (previous) field in tab order,
    // the pending edit accepted first, as leaving a field does.
    int key_down(int key, unsigned flags) override;
    bool keeps_tab() const override { return true; }
    void focus_gained() override { DataWindow::setfocus(); }
    bool focus_leaving() override;

  private:
    using Control::clicked;  // a data window's clicked carries its arguments
    Interaction* interaction() const;

    std::string dataobject_;
    bool hscrollbar_ = false, vscrollbar_ = false, livescroll_ = false;
    std::string title_ = "none";
};

}  // namespace runtime
