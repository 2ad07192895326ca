// The data window: a definition plus the rows it holds, read from and written back to the
// database through a transaction.
//
// Rows live in two buffers: the primary buffer (what is shown, each row with a status and,
// once changed, the values it had when retrieved) and the deleted buffer (rows removed with
// deleterow that the next update deletes from the table). Rows are numbered from 1; a row
// number that denotes no row changes nothing and yields nothing (-1 or std::nullopt).
// Columns given by number are numbered from 1 too, in SELECT order; names are compared
// without regard to case.
//
// Typing into a field is a pending edit (settext) on the current row and column; it becomes
// the row's value only when accepted (accepttext, called when focus leaves the field), after
// validation: the column's GBK byte limit, real dates through the mask "yyyy-mm-dd", code
// table entries for drop-downs. A refused edit keeps the old value and is reported through
// the item-error handler.
//
// Presentations mirror the model through its signals: row changes come as "about to" and
// "done" pairs (insert, remove, reset) and a sort as a layout change, so an item model can
// follow them exactly. The window layer routes database and item errors to the runtime's
// message box through the two handlers.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/value.h"
#include "platform/runtime/datawindow/definition.h"
#include "platform/runtime/datawindow/row_buffer.h"
#include "platform/runtime/signal.h"

namespace db {
class Cursor;
}

namespace runtime {

class Transaction;

enum class RowStatus {
    new_row,        // inserted, nothing set yet: update skips it
    new_modified,   // inserted and set: update inserts it
    not_modified,   // as retrieved (or as last written)
    data_modified,  // retrieved and changed: update writes it back by its original key
};

// A database failure during retrieve or update.
struct DbError {
    int code = 0;      // the database's own code (Transaction::sqldbcode)
    std::string text;  // the database's message
    std::string sql;   // the statement that failed, placeholders unfilled
    int row = 0;       // the primary row being written; 0 for retrieve and deletions
    // The row to write was changed or removed by someone else since it was retrieved (an
    // UPDATE or DELETE by key touched no row).
    bool conflict = false;
    std::string sqlstate = {};  // PostgreSQL's SQLSTATE, when it sent one
};

// An accepted edit that validation refused.
struct ItemError {
    int row = 0;
    std::string column;
    std::string text;     // what was typed
    std::string message;  // why it was refused, for the user (Chinese)
};

class DataWindow {
  public:
    using DbErrorHandler = std::function<void(const DbError&)>;
    using ItemErrorHandler = std::function<void(const ItemError&)>;
    // Turns a path as the screens write it ("c:\...") into a path of this machine.
    using PathResolver = std::function<std::string(std::string_view)>;

    DataWindow();
    explicit DataWindow(std::shared_ptr<const Definition> definition);
    ~DataWindow();
    DataWindow(const DataWindow&) = delete;
    DataWindow& operator=(const DataWindow&) = delete;

    // --- definition --------------------------------------------------------------------
    // Presents another definition (nullptr: none); drops every row.
    void set_definition(std::shared_ptr<const Definition> definition);
    const Definition* definition() const { return def_.get(); }
    std::string dataobject() const;

    // --- database ----------------------------------------------------------------------
    int settransobject(Transaction* transaction);
    Transaction* transaction() const { return trans_; }
    std::string getsqlselect() const;
    // Replaces the SELECT; the columns stay those of the definition.
    int setsqlselect(std::string_view select);
    // Runs the SELECT with the retrieval arguments (bound, in the order the definition
    // declares them) and replaces all rows. Returns the row count, or -1 with the error
    // reported: a statement that cannot run leaves the rows as they were; a failure while
    // rows are being read leaves none (never a partial list).
    int retrieve(const db::Params& arguments = {});
    // Writes pending deletions, inserts and changes as one unit (deletions first). Returns 1;
    // or -1 with buffers and table unchanged and the error reported. `accept` first accepts
    // the pending edit; a refused one fails the update. With `resetflag` false the rows
    // keep their statuses (and deletions stay pending) until resetupdate(), so a caller
    // that commits afterwards can keep them when the commit fails.
    int update(bool accept = true, bool resetflag = true);
    // Takes the written state as the retrieved one: statuses become not modified, original
    // values are forgotten, pending deletions dropped. Returns 1.
    int resetupdate();

    // --- rows --------------------------------------------------------------------------
    int rowcount() const { return static_cast<int>(rows_.size()); }
    int deletedcount() const;
    // Rows inserted-and-set or changed since the last successful update (primary buffer).
    int modifiedcount() const;
    std::optional<RowStatus> getitemstatus(int row) const;
    // Inserts an empty row before `before`; 0 appends. Returns the new row's number or -1.
    int insertrow(int before);
    // Moves a row to the deleted buffer (a new row just vanishes). Returns 1 or -1.
    int deleterow(int row);
    // Drops every row of both buffers. Returns 1.
    int reset();

    // Sets the sort criteria: "column A" or "column D", several separated by commas
    // ("eid D, ename A"); "" for none. Returns 1, or -1 (criteria unchanged) when a column
    // is unknown. Takes effect with sort().
    int setsort(std::string_view criteria);
    std::string getsort() const { return sort_text_; }
    // Orders the rows by the criteria (stable; nulls first when ascending). Text compares in
    // code page 936, which puts common Chinese words in pinyin order. The current row and
    // the selection stay with their rows. Returns 1, or -1 when a pending edit is refused.
    int sort();

    // --- values ------------------------------------------------------------------------
    // The stored value as text (datetimes as "YYYY-MM-DD HH:MM:SS"); nullopt for null, for a
    // row that does not exist and for an unknown column.
    std::optional<std::string> getitemstring(int row, std::string_view column) const;
    std::optional<std::string> getitemstring(int row, int column) const;
    std::optional<db::DateTime> getitemdatetime(int row, std::string_view column) const;
    // The value as retrieved (before changes); nullopt as for getitemstring.
    std::optional<std::string> original_value(int row, int column) const;
    // Sets a value (nullopt: null). Refused (-1) for no such row or column, a value over
    // the byte limit, a datetime column given text that is not a date-time.
    int setitem(int row, std::string_view column, std::optional<std::string> value);
    int setitem(int row, std::string_view column, const db::DateTime& value);
    // What the cell shows: code-table text, formatted date, the row number of a getrow()
    // computed field, "" for null. `object` names a column or a computed field.
    std::optional<std::string> display_text(int row, std::string_view object) const;
    // The text an edit of the cell starts from: code-table text, "yyyy-mm-dd" for masked
    // dates, otherwise the value ("" for null).
    std::optional<std::string> edit_text(int row, int column) const;

    // --- current row and column, selection, focus --------------------------------------
    int getrow() const { return current_row_; }
    // Makes a row current. A pending edit is accepted first; a refused one keeps the row.
    int setrow(int row);
    // Makes a row current and visible (the presentation scrolls on current_changed).
    int scrolltorow(int row) { return setrow(row); }
    int getcolumn() const { return current_column_ + 1; }  // 1-based, 0 when none
    std::string getcolumnname() const;
    int setcolumn(int column);  // 1-based
    int setcolumn(std::string_view column);
    // Highlights a row on or off; row 0: every row.
    int selectrow(int row, bool select);
    bool isselected(int row) const;
    int setfocus();
    // Focus leaves the data window: the pending edit is accepted.
    void killfocus();
    bool has_focus() const { return focus_; }

    // --- pending edit ------------------------------------------------------------------
    // Whether the current field takes `text` as the user types it: a text entry refuses
    // more GBK bytes than its column's limit (so the 51st byte of a 50-byte field is refused
    // as it is typed), a masked entry more characters than its mask. The refusal, for the
    // user, or nullopt when the text fits. Dates and code-table entries are checked when
    // the edit is accepted.
    // `column` (1-based) checks another field than the current one.
    std::optional<std::string> check_typing(std::string_view text, int column = 0) const;
    // Starts or changes the pending edit of the current cell. -1 when there is no current
    // cell, the data window is read-only (read-only stops the user, not setitem), or the
    // text does not pass check_typing (the pending edit then stays as it was).
    int settext(std::string_view text);
    // The pending edit's text, or the current cell's edit_text when nothing is pending.
    std::optional<std::string> gettext() const;
    bool edit_pending() const { return pending_.has_value(); }
    // A pending edit whose text differs from what its cell holds: typed, not yet accepted.
    bool edit_modified() const;
    // Validates the pending edit and makes it the row's value. 1 (also with nothing
    // pending), or -1 when refused: the old value stays, the text stays pending.
    int accepttext();
    // Drops the pending edit (the field shows the stored value again).
    void discardtext();

    // --- properties --------------------------------------------------------------------
    // "p_1.filename='x' datawindow.readonly=yes ..." Returns "" or an error text.
    std::string modify(std::string_view command);
    // "p_1.filename", "datawindow.readonly", "datawindow.table.select", "t_1.text", ... The
    // value ("" when empty), "!" for an unknown object or property; several properties
    // separated by blanks give one line each.
    std::string describe(std::string_view property) const;
    bool readonly() const { return readonly_; }
    // The current file name of a picture object ("" when none or no such picture).
    std::string picture_filename(std::string_view object) const;

    // --- shown columns and export --------------------------------------------------------
    // The titles of the shown columns: a grid's left to right ("No.", "编号", ...); a free
    // form's captions in column order ("员工编号：", ...), or column names without one.
    std::vector<std::string> titles() const;
    // One row as shown, in the order of titles(); empty for a row that does not exist.
    std::vector<std::string> row_as_displayed(int row) const;
    // Writes every row as tab-separated text in code page 936 with a header line of titles
    // and CRLF line ends. Returns 1, or -1 when the file cannot be written.
    int saveasascii(std::string_view path);
    // Writes every row as an Excel workbook (.xlsx) of one sheet named `sheet_name`: the
    // titles in a bold header row that stays in view, each value as the text shown (never
    // a number or a formula), dates as dates, the row number as a number, columns as wide
    // as their texts. The file is replaced whole. Returns 1, or -1 when it cannot be
    // written (the old file then stays as it was).
    int saveasxlsx(std::string_view path, std::string_view sheet_name = {});

    // --- hooks -------------------------------------------------------------------------
    void set_dberror_handler(DbErrorHandler handler) { on_dberror_ = std::move(handler); }
    void set_itemerror_handler(ItemErrorHandler handler) { on_itemerror_ = std::move(handler); }
    void set_path_resolver(PathResolver resolver) { resolve_path_ = std::move(resolver); }

    // --- notifications -------------------------------------------------------------------
    // Every row was replaced (retrieve, reset, a new definition): nothing may be read from
    // the rows between the two.
    Signal<> about_to_reset;
    Signal<> reset_done;
    // `count` rows at `row` (1-based): before and after they enter the primary buffer.
    Signal<int, int> rows_about_to_be_inserted;
    Signal<int, int> rows_inserted;
    // `count` rows at `row` leave the primary buffer; the rows after them move up.
    Signal<int, int> rows_about_to_be_removed;
    Signal<int, int> rows_removed;
    // The rows were reordered (sort). `new_row_of` maps each old row number (index) to its
    // new one; index 0 is unused.
    Signal<> layout_about_to_change;
    Signal<const std::vector<int>&> layout_changed;
    Signal<int, int> item_changed;  // row, column
    // The highlight of one row changed; row 0: of every row.
    Signal<int> selection_changed;
    Signal<int, int> current_changed;  // row, column
    Signal<bool> focus_changed;
    // The pending edit's text changed (or the edit ended).
    Signal<> edit_changed;
    // A property set with modify, e.g. ("p_1", "filename") or ("datawindow", "readonly").
    Signal<const std::string&, const std::string&> property_changed;
    // Statuses changed (after a successful update).
    Signal<> statuses_changed;

    // Bytes the buffers hold (rows, values and the row tables), for memory accounting.
    std::size_t buffer_bytes() const;

  private:
    struct Row {
        PackedRow current;
        PackedRow original;  // set once a retrieved row changes; empty otherwise
        RowStatus status = RowStatus::new_row;
        bool selected = false;
    };
    struct PendingEdit {
        std::string text;
    };
    struct PlannedStatement;  // one INSERT, UPDATE or DELETE of an update
    bool valid_row(int row) const { return row >= 1 && row <= rowcount(); }
    int column_count() const;
    // Index of a column by name; -1 when unknown.
    int column_of(std::string_view name) const;
    std::optional<std::string_view> value(const Row& row, int column) const;
    std::optional<std::string_view> value_of_original(const Row& row, int column) const;
    // Checks a value for a column; returns the refusal message or nullopt when it fits.
    std::optional<std::string> check_value(int column, const std::optional<std::string>& v) const;
    void store(int row, int column, std::optional<std::string_view> value);
    void report_dberror(DbError error) const;
    db::Value bind_value(int column, std::optional<std::string_view> v) const;
    void add_key_condition(const Row& row, PlannedStatement& s) const;
    void add_unchanged_condition(const Row& row, int column, PlannedStatement& s) const;
    std::optional<PlannedStatement> statement_for(int row) const;
    std::vector<PlannedStatement> plan_update() const;
    std::optional<DbError> write_plan(const std::vector<PlannedStatement>& plan) const;
    void drop_rows_for_reuse();
    void read_rows(db::Cursor& cursor);
    void announce_new_rows(bool had_edit);
    void report_itemerror(const std::string& text, const std::string& message) const;
    void clear_rows();
    void set_current(int row, int column);
    std::optional<std::string> format_value(int column, std::optional<std::string_view> v) const;
    // The shown columns: (title, object shown under it).
    std::vector<std::pair<std::string, std::string>> shown_columns() const;
    // The workbook of saveasxlsx, written to `file`; false when any of it failed.
    bool write_workbook(const std::string& file, const std::string& sheet_name) const;
    // Turns typed text into a column value (nullopt: null); false with `error` when refused.
    bool parse_entry(int column, const std::string& text, std::optional<std::string>& value,
                     std::string& error) const;

    std::shared_ptr<const Definition> def_;
    Transaction* trans_ = nullptr;
    std::string select_;
    std::unique_ptr<RowArena> arena_;  // holds retrieved rows; outlives the buffers below
    std::vector<Row> rows_;
    std::vector<Row> deleted_;
    int current_row_ = 0;
    int current_column_ = -1;
    bool focus_ = false;
    bool readonly_ = false;
    std::optional<PendingEdit> pending_;
    std::vector<std::pair<std::string, std::string>> picture_files_;  // object -> file
    DbErrorHandler on_dberror_;
    ItemErrorHandler on_itemerror_;
    PathResolver resolve_path_;
    std::string sort_text_;
    std::vector<std::pair<int, bool>> sort_keys_;  // (column, ascending)
};

}  // namespace runtime
