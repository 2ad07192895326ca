// Rows, values, current cell, selection and focus of the data window.
#include "platform/runtime/datawindow/data_window.h"

#include <algorithm>

namespace runtime {

DataWindow::DataWindow() = default;

DataWindow::DataWindow(std::shared_ptr<const Definition> definition) {
    set_definition(std::move(definition));
}

DataWindow::~DataWindow() = default;

// --- definition --------------------------------------------------------------------------

void DataWindow::set_definition(std::shared_ptr<const Definition> definition) {
    about_to_reset.fire();
    def_ = std::move(definition);
    select_ = def_ ? def_->select : "";
    readonly_ = false;
    picture_files_.clear();
    if (def_)
        for (const auto& o : def_->objects)
            if (o.kind == ObjectKind::picture) picture_files_.emplace_back(o.name, o.filename);
    clear_rows();
    current_column_ = def_ ? def_->next_in_tab_order(-1) : -1;
    reset_done.fire();
    current_changed.fire(0, getcolumn());
}

std::string DataWindow::dataobject() const {
    return def_ ? def_->name : "";
}

int DataWindow::settransobject(Transaction* transaction) {
    trans_ = transaction;
    return transaction ? 1 : -1;
}

std::string DataWindow::getsqlselect() const {
    return select_;
}

int DataWindow::setsqlselect(std::string_view select) {
    if (!def_ || select.empty()) return -1;
    select_ = std::string(select);
    return 1;
}

// --- rows --------------------------------------------------------------------------------

int DataWindow::column_count() const {
    return def_ ? static_cast<int>(def_->columns.size()) : 0;
}

int DataWindow::column_of(std::string_view name) const {
    return def_ ? def_->column_index(name) : -1;
}

int DataWindow::deletedcount() const {
    return static_cast<int>(deleted_.size());
}

int DataWindow::modifiedcount() const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const Row& r) {
        return r.status == RowStatus::new_modified || r.status == RowStatus::data_modified;
    }));
}

std::optional<RowStatus> DataWindow::getitemstatus(int row) const {
    if (!valid_row(row)) return std::nullopt;
    return rows_[row - 1].status;
}

int DataWindow::insertrow(int before) {
    if (!def_) return -1;
    int at = before == 0 ? rowcount() + 1 : before;
    if (before != 0 && !valid_row(before)) return -1;
    Row row;
    row.current = PackedRow::nulls(def_->columns.size());
    rows_about_to_be_inserted.fire(at, 1);
    rows_.insert(rows_.begin() + (at - 1), std::move(row));
    rows_inserted.fire(at, 1);
    if (current_row_ == 0) {
        set_current(at, current_column_);
    } else if (current_row_ >= at) {
        ++current_row_;  // the same row, one further down
        current_changed.fire(current_row_, getcolumn());
    }
    return at;
}

int DataWindow::deleterow(int row) {
    if (!valid_row(row)) return -1;
    if (row == current_row_ && pending_) discardtext();
    rows_about_to_be_removed.fire(row, 1);
    Row removed = std::move(rows_[row - 1]);
    rows_.erase(rows_.begin() + (row - 1));
    // A row the table never had leaves nothing to delete.
    if (removed.status == RowStatus::not_modified || removed.status == RowStatus::data_modified)
        deleted_.push_back(std::move(removed));
    rows_removed.fire(row, 1);
    if (current_row_ > row || current_row_ > rowcount())
        set_current(current_row_ - 1, current_column_);
    else if (current_row_ == row)
        set_current(row, current_column_);  // the next row moved up into its place
    return 1;
}

void DataWindow::clear_rows() {
    rows_.clear();
    deleted_.clear();
    arena_.reset();
    pending_.reset();
    current_row_ = 0;
}

int DataWindow::reset() {
    bool had_edit = pending_.has_value();
    about_to_reset.fire();
    clear_rows();
    reset_done.fire();
    if (had_edit) edit_changed.fire();
    current_changed.fire(0, getcolumn());
    return 1;
}

// --- values ------------------------------------------------------------------------------

std::optional<std::string_view> DataWindow::value(const Row& row, int column) const {
    return row.current.get(static_cast<std::size_t>(column));
}

std::optional<std::string_view> DataWindow::value_of_original(const Row& row, int column) const {
    if (!row.original.empty()) return row.original.get(static_cast<std::size_t>(column));
    if (row.status == RowStatus::new_row || row.status == RowStatus::new_modified)
        return std::nullopt;
    return value(row, column);
}

std::optional<std::string> DataWindow::getitemstring(int row, std::string_view column) const {
    return getitemstring(row, column_of(column) + 1);
}

std::optional<std::string> DataWindow::getitemstring(int row, int column) const {
    if (!valid_row(row) || column < 1 || column > column_count()) return std::nullopt;
    auto v = value(rows_[row - 1], column - 1);
    if (!v) return std::nullopt;
    return std::string(*v);
}

std::optional<db::DateTime> DataWindow::getitemdatetime(int row, std::string_view column) const {
    auto text = getitemstring(row, column);
    if (!text) return std::nullopt;
    return db::DateTime::parse(*text);
}

std::optional<std::string> DataWindow::original_value(int row, int column) const {
    if (!valid_row(row) || column < 1 || column > column_count()) return std::nullopt;
    auto v = value_of_original(rows_[row - 1], column - 1);
    if (!v) return std::nullopt;
    return std::string(*v);
}

void DataWindow::store(int row, int column, std::optional<std::string_view> v) {
    Row& r = rows_[row - 1];
    if (value(r, column) == v) return;  // nothing changes, nor does the status
    PackedRow next = r.current.with(static_cast<std::size_t>(column), v);
    if (r.status == RowStatus::not_modified) {
        r.original = std::move(r.current);  // kept to write the row back by its old key
        r.status = RowStatus::data_modified;
    } else if (r.status == RowStatus::new_row) {
        r.status = RowStatus::new_modified;
    }
    r.current = std::move(next);
    item_changed.fire(row, column + 1);
}

int DataWindow::setitem(int row, std::string_view column, std::optional<std::string> v) {
    int c = column_of(column);
    if (!valid_row(row) || c < 0) return -1;
    if (v && def_->columns[c].type == ColumnType::datetime) {
        auto dt = db::DateTime::parse(*v);
        if (!dt) return -1;
        v = dt->to_string();
    }
    if (check_value(c, v)) return -1;
    store(row, c, v ? std::optional<std::string_view>(*v) : std::nullopt);
    return 1;
}

int DataWindow::setitem(int row, std::string_view column, const db::DateTime& v) {
    if (!db::DateTime::valid_date(v.year, v.month, v.day)) return -1;
    return setitem(row, column, std::optional<std::string>(v.to_string()));
}

// --- current row and column, selection, focus -------------------------------------------

void DataWindow::set_current(int row, int column) {
    current_row_ = row;
    current_column_ = column;
    current_changed.fire(current_row_, getcolumn());
}

int DataWindow::setrow(int row) {
    if (!valid_row(row)) return -1;
    if (row == current_row_) return 1;
    if (pending_ && accepttext() != 1) return -1;
    set_current(row, current_column_);
    return 1;
}

std::string DataWindow::getcolumnname() const {
    return current_column_ >= 0 ? def_->columns[current_column_].name : "";
}

int DataWindow::setcolumn(int column) {
    if (column < 1 || column > column_count()) return -1;
    if (column - 1 == current_column_) return 1;
    if (pending_ && accepttext() != 1) return -1;
    set_current(current_row_, column - 1);
    return 1;
}

int DataWindow::setcolumn(std::string_view column) {
    int c = column_of(column);
    return c < 0 ? -1 : setcolumn(c + 1);
}

int DataWindow::selectrow(int row, bool select) {
    if (row == 0) {
        for (auto& r : rows_) r.selected = select;
        selection_changed.fire(0);
        return 1;
    }
    if (!valid_row(row)) return -1;
    if (rows_[row - 1].selected == select) return 1;
    rows_[row - 1].selected = select;
    selection_changed.fire(row);
    return 1;
}

bool DataWindow::isselected(int row) const {
    return valid_row(row) && rows_[row - 1].selected;
}

int DataWindow::setfocus() {
    if (!focus_) {
        focus_ = true;
        focus_changed.fire(true);
    }
    return 1;
}

void DataWindow::killfocus() {
    accepttext();  // a refusal is reported; the typed text stays pending
    if (focus_) {
        focus_ = false;
        focus_changed.fire(false);
    }
}

std::size_t DataWindow::buffer_bytes() const {
    std::size_t bytes = (rows_.capacity() + deleted_.capacity()) * sizeof(Row);
    if (arena_) bytes += arena_->allocated_bytes();
    for (const auto* buffer : {&rows_, &deleted_})
        for (const auto& r : *buffer)
            for (const PackedRow* values : {&r.current, &r.original})
                if (!values->in_arena()) bytes += values->allocated_bytes();
    return bytes;
}

}  // namespace runtime
