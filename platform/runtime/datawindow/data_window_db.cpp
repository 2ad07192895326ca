// Retrieve and update: the data window's traffic with the database.
#include <algorithm>
#include <cctype>

#include "platform/db/dialect.h"
#include "platform/db/sql_scanner.h"
#include "platform/runtime/datawindow/data_window.h"
#include "platform/runtime/transaction.h"

namespace runtime {
namespace {

// Replaces each ":name" of a declared retrieval argument by '?' and collects the values to
// bind, in the order they appear. Quoted texts, names and comments are left alone, so a ':'
// typed into a search pattern stays what it is.
std::string bind_arguments(std::string_view select, const std::vector<RetrievalArgument>& declared,
                           const db::Params& given, db::Params& bound) {
    std::string sql;
    sql.reserve(select.size());
    db::sql::Scanner scanner(select);
    for (db::sql::Piece p; scanner.next(p);) {
        if (p.kind == db::sql::Kind::named) {
            const std::string_view name = p.text.substr(1);
            const auto arg = std::find_if(declared.begin(), declared.end(),
                                          [&](const auto& a) { return same_name(a.name, name); });
            if (arg != declared.end()) {
                sql += '?';
                bound.push_back(given[static_cast<std::size_t>(arg - declared.begin())]);
                continue;
            }
        }
        sql += p.text;
    }
    return sql;
}

// Datetimes are held as "YYYY-MM-DD HH:MM:SS"; a database may hand back another spelling.
bool canonical_datetime(std::string_view t) {
    return t.size() == 19 && t[4] == '-' && t[7] == '-' && t[10] == ' ' && t[13] == ':' &&
           t[16] == ':';
}

db::Error update_error(const std::string& message) {
    return db::Error(-1, "", message);
}

}  // namespace

void DataWindow::report_dberror(DbError error) const {
    if (on_dberror_) on_dberror_(error);
}

int DataWindow::retrieve(const db::Params& arguments) {
    if (!def_) return -1;
    if (!trans_ || !trans_->connected()) {
        report_dberror(DbError{-1, "数据库未连接", select_, 0});
        return -1;
    }
    if (arguments.size() < def_->arguments.size()) {
        report_dberror(DbError{-1,
                               "检索参数不足：需要 " + std::to_string(def_->arguments.size()) +
                                   " 个，只给了 " + std::to_string(arguments.size()) + " 个",
                               select_, 0});
        return -1;
    }
    db::Params bound;
    std::string sql = bind_arguments(select_, def_->arguments, arguments, bound);
    bool had_edit = pending_.has_value();
    db::Connection& conn = *trans_->connection();
    // A failed query leaves an open transaction as it was (the connection guards it).
    bool dropped = false;
    try {
        auto cursor = conn.query(sql, bound);
        if (cursor->column_count() != def_->columns.size())
            throw db::Error(-1, "",
                            "查询结果有 " + std::to_string(cursor->column_count()) +
                                " 列，数据窗口有 " + std::to_string(def_->columns.size()) + " 列");
        // The statement runs: the old rows make way and their memory takes the new ones.
        // (A statement that cannot run leaves them as they were.)
        about_to_reset.fire();
        dropped = true;
        drop_rows_for_reuse();
        read_rows(*cursor);
    } catch (const db::Error& e) {
        if (dropped) {
            // Failed while reading: no half list is shown.
            drop_rows_for_reuse();
            announce_new_rows(had_edit);
        }
        report_dberror(DbError{e.code(), e.what(), sql, 0, false, e.sqlstate()});
        return -1;
    }
    arena_->trim();
    announce_new_rows(had_edit);
    return rowcount();
}

void DataWindow::drop_rows_for_reuse() {
    rows_.clear();  // keeps its capacity for the rows to come
    deleted_.clear();
    pending_.reset();
    if (arena_)
        arena_->rewind();
    else
        arena_ = std::make_unique<RowArena>();
}

void DataWindow::announce_new_rows(bool had_edit) {
    reset_done.fire();
    if (had_edit) edit_changed.fire();
    set_current(rows_.empty() ? 0 : 1, current_column_);
}

void DataWindow::read_rows(db::Cursor& cursor) {
    const std::size_t n = def_->columns.size();
    std::vector<char> is_datetime(n);
    for (std::size_t c = 0; c < n; ++c)
        is_datetime[c] = def_->columns[c].type == ColumnType::datetime;
    std::vector<std::optional<std::string_view>> values(n);
    std::vector<std::string> normalized(n);
    while (cursor.next()) {
        for (std::size_t c = 0; c < n; ++c) {
            bool null = false;
            std::string_view t = cursor.text(c, &null);
            values[c] = null ? std::nullopt : std::optional<std::string_view>(t);
            if (!null && is_datetime[c] && !canonical_datetime(t)) {
                if (auto dt = db::DateTime::parse(t)) {
                    normalized[c] = dt->to_string();
                    values[c] = normalized[c];
                }
            }
        }
        Row& row = rows_.emplace_back();
        row.current = PackedRow::pack(values.data(), n, arena_.get());
        row.status = RowStatus::not_modified;
    }
}

struct DataWindow::PlannedStatement {
    std::string sql;
    db::Params params;
    int row = 0;           // the primary row written, 0 for a deletion
    bool one_row = false;  // an UPDATE or DELETE by key must touch exactly one row
    std::string key_text;  // the key, for the message when it touches none
};

db::Value DataWindow::bind_value(int column, std::optional<std::string_view> v) const {
    if (!v) return db::Value();
    if (def_->columns[column].type == ColumnType::datetime)
        if (auto dt = db::DateTime::parse(*v)) return db::Value(*dt);
    return db::Value(*v);
}

// WHERE by the key as the row held it when retrieved (or last written).
void DataWindow::add_key_condition(const Row& r, PlannedStatement& s) const {
    std::string where;
    for (int c = 0; c < column_count(); ++c) {
        if (!def_->is_key(c)) continue;
        where += where.empty() ? " WHERE " : " AND ";
        where += def_->columns[c].name + " = ?";
        auto v = value_of_original(r, c);
        s.params.push_back(bind_value(c, v));
        if (!s.key_text.empty()) s.key_text += ", ";
        s.key_text += def_->columns[c].name + " = " + std::string(v.value_or("(null)"));
    }
    s.sql += where;
    s.one_row = true;
}

// The statement that writes one primary row, or none when it has nothing to write.
std::optional<DataWindow::PlannedStatement> DataWindow::statement_for(int row) const {
    const Row& r = rows_[row - 1];
    const std::string& table = def_->update.table;
    PlannedStatement s;
    s.row = row;
    if (r.status == RowStatus::new_modified) {
        std::string names, marks;
        for (int c = 0; c < column_count(); ++c) {
            if (!def_->is_updatable(c)) continue;
            names += (names.empty() ? "" : ", ") + def_->columns[c].name;
            marks += marks.empty() ? "?" : ", ?";
            s.params.push_back(bind_value(c, value(r, c)));
        }
        s.sql = "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
        return s;
    }
    if (r.status != RowStatus::data_modified) return std::nullopt;
    std::string set;
    std::vector<int> changed;
    for (int c = 0; c < column_count(); ++c) {
        if (!def_->is_updatable(c) || value(r, c) == value_of_original(r, c)) continue;
        set += (set.empty() ? "" : ", ") + def_->columns[c].name + " = ?";
        s.params.push_back(bind_value(c, value(r, c)));
        changed.push_back(c);
    }
    if (set.empty()) return std::nullopt;  // changed and changed back
    s.sql = "UPDATE " + table + " SET " + set;
    add_key_condition(r, s);
    if (def_->update.where == UpdateWhere::key_and_modified)
        for (int c : changed)
            if (!def_->is_key(c)) add_unchanged_condition(r, c, s);
    return s;
}

// " AND the column still holds its retrieved value": null-safe, since a null that nobody
// touched must match; a date-time as a date-time, whatever its spelling where it is kept.
void DataWindow::add_unchanged_condition(const Row& r, int column, PlannedStatement& s) const {
    const ColumnDef& c = def_->columns[column];
    s.sql += " AND " +
             trans_->connection()->dialect().same_value(c.name, c.type == ColumnType::datetime);
    s.params.push_back(bind_value(column, value_of_original(r, column)));
}

// Deletions first, so a key deleted and inserted again is free when the insert runs.
std::vector<DataWindow::PlannedStatement> DataWindow::plan_update() const {
    std::vector<PlannedStatement> plan;
    for (const Row& r : deleted_) {
        PlannedStatement s;
        s.sql = "DELETE FROM " + def_->update.table;
        add_key_condition(r, s);
        plan.push_back(std::move(s));
    }
    for (int row = 1; row <= rowcount(); ++row)
        if (auto s = statement_for(row)) plan.push_back(std::move(*s));
    return plan;
}

// Runs the statements as one unit of the transaction; returns the failure, if any.
std::optional<DbError> DataWindow::write_plan(const std::vector<PlannedStatement>& plan) const {
    Transaction& trans = *trans_;
    const std::string& table = def_->update.table;
    const PlannedStatement* failing = nullptr;
    bool conflict = false;
    int rc = trans.run_unit([&](db::Connection& conn) {
        for (const auto& s : plan) {
            failing = &s;
            std::int64_t changed = conn.execute(s.sql, s.params);
            conflict = s.one_row && changed == 0;
            if (conflict)
                throw update_error("更新失败：表 " + table + " 中找不到 " + s.key_text +
                                   " 的行（可能已被他人删除或修改）");
            if (s.one_row && changed > 1)
                throw update_error("更新失败：表 " + table + " 中 " + s.key_text + " 对应 " +
                                   std::to_string(changed) + " 行，键不唯一");
        }
        failing = nullptr;
    });
    if (rc == Transaction::kSuccess) return std::nullopt;
    return DbError{trans.sqldbcode(),          trans.sqlerrtext(), failing ? failing->sql : "",
                   failing ? failing->row : 0, conflict,           trans.sqlstate()};
}

int DataWindow::update(bool accept, bool resetflag) {
    if (!def_) return -1;
    if (accept && accepttext() != 1) return -1;
    const UpdateDef& u = def_->update;
    if (u.table.empty() || u.key_columns.empty()) {
        report_dberror(DbError{-1, "数据窗口没有更新设置，不能保存", "", 0});
        return -1;
    }
    for (const auto& key : u.key_columns) {
        // A key that names no column would leave the WHERE clause empty: every row matched.
        if (column_of(key) < 0) {
            report_dberror(DbError{-1, "数据窗口的键列不存在：" + key, "", 0});
            return -1;
        }
    }
    if (!trans_ || !trans_->connected()) {
        report_dberror(DbError{-1, "数据库未连接", "", 0});
        return -1;
    }
    std::vector<PlannedStatement> plan = plan_update();
    // With nothing to write the database is not touched (no transaction is opened).
    if (!plan.empty()) {
        if (auto failure = write_plan(plan)) {
            report_dberror(*failure);
            return -1;
        }
    }
    return resetflag ? resetupdate() : 1;
}

int DataWindow::resetupdate() {
    deleted_.clear();
    for (auto& r : rows_) {
        if (r.status == RowStatus::new_modified || r.status == RowStatus::data_modified) {
            r.status = RowStatus::not_modified;
            r.original = PackedRow();
        }
    }
    statuses_changed.fire();
    return 1;
}

}  // namespace runtime
