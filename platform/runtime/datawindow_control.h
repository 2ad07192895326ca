// The data-window control: a control of a window that presents a data window. The control
// has the position, the focus and the events; the data window it holds has the rows. The
// operations the screens call on a data-window control are offered on the control itself;
// everything else of the data window is reached through data().
//
// Database and item errors of its data window are shown through the runtime's message box;
// paths the data window writes or shows ("c:\...") go through the file service's mapping.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/runtime/control.h"
#include "platform/runtime/datawindow/data_window.h"

namespace runtime {

class Application;

class DataWindowControl : public Control {
  public:
    explicit DataWindowControl(std::string name);

    DataWindow& data() { return data_; }
    const DataWindow& data() const { return data_; }
    const Definition* definition() const { return data_.definition(); }

    // The definition presented, by name without regard to case ("D_EMPLOYEE" finds
    // d_employee), from the definitions of the control's application. 1, or -1 (the
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

    // --- the screens' operations (see data_window.h for what each does) -----------------
    int settransobject(Transaction* t) { return data_.settransobject(t); }
    std::string getsqlselect() const { return data_.getsqlselect(); }
    int setsqlselect(std::string_view select) { return data_.setsqlselect(select); }
    int retrieve(const db::Params& arguments = {}) { return data_.retrieve(arguments); }
    int update(bool accept = true, bool resetflag = true) {
        return data_.update(accept, resetflag);
    }
    int resetupdate() { return data_.resetupdate(); }
    int rowcount() const { return data_.rowcount(); }
    int deletedcount() const { return data_.deletedcount(); }
    int modifiedcount() const { return data_.modifiedcount(); }
    int insertrow(int before) { return data_.insertrow(before); }
    int deleterow(int row) { return data_.deleterow(row); }
    int reset() { return data_.reset(); }
    int getrow() const { return data_.getrow(); }
    int scrolltorow(int row) { return data_.scrolltorow(row); }
    int selectrow(int row, bool select) { return data_.selectrow(row, select); }
    bool isselected(int row) const { return data_.isselected(row); }
    int getcolumn() const { return data_.getcolumn(); }
    std::string getcolumnname() const { return data_.getcolumnname(); }
    int setcolumn(int column) { return data_.setcolumn(column); }
    int setcolumn(std::string_view column) { return data_.setcolumn(column); }
    std::optional<std::string> getitemstring(int row, std::string_view column) const {
        return data_.getitemstring(row, column);
    }
    std::optional<std::string> getitemstring(int row, int column) const {
        return data_.getitemstring(row, column);
    }
    int setitem(int row, std::string_view column, std::optional<std::string> value) {
        return data_.setitem(row, column, std::move(value));
    }
    int accepttext() { return data_.accepttext(); }
    std::string modify(std::string_view command) { return data_.modify(command); }
    std::string describe(std::string_view property) const { return data_.describe(property); }
    int saveasascii(std::string_view path) { return data_.saveasascii(path); }
    // The workbook's sheet is named after the control's window ("员工管理").
    int saveasxlsx(std::string_view path);
    int setsort(std::string_view criteria) { return data_.setsort(criteria); }
    int sort() { return data_.sort(); }

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

    // How many data rows the control shows at once, a page for PageUp and PageDown: its
    // height less the header band (and a horizontal scroll bar), in detail lines; at least 1.
    int page_rows() const;

    // The centre of an object on a row, in layout units from the control's top left.
    std::pair<int, int> object_position(int row, std::string_view object) const;

    // Raises ue_key; then Tab (Shift+Tab) moves to the next (previous) field in tab order,
    // the pending edit accepted first, as leaving a field does.
    int key_down(int key, unsigned flags) override;
    // Tab moves between the fields of a definition that puts any in the tab order (a form);
    // from a grid without one it moves on to the next control.
    bool keeps_tab() const override;
    void focus_gained() override { data_.setfocus(); }
    bool focus_leaving() override;

  private:
    using Control::clicked;  // a data window's clicked carries its arguments
    Application* application() const;

    DataWindow data_;
    std::string dataobject_;
    bool hscrollbar_ = false, vscrollbar_ = false, livescroll_ = false;
    std::string title_ = "none";
};

}  // namespace runtime
