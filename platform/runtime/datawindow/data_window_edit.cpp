// Pending edits, validation and how values are shown and edited.
#include <algorithm>
#include <cctype>

#include "platform/runtime/datawindow/data_window.h"
#include "platform/text/gbk.h"

namespace runtime {
namespace {

// "yyyy-mm-dd": four digits, hyphen, two digits, hyphen, two digits.
bool fits_date_mask(std::string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

bool is_getrow(std::string_view expression) {
    std::string compact;
    for (char c : expression)
        if (c != ' ') compact += c;
    return text::ascii_lower(compact) == "getrow()";
}

const CodeEntry* entry_by_stored(const ColumnDef& c, std::string_view stored) {
    for (const auto& e : c.code_table)
        if (e.stored == stored) return &e;
    return nullptr;
}

const CodeEntry* entry_by_display(const ColumnDef& c, std::string_view display) {
    for (const auto& e : c.code_table)
        if (e.display == display) return &e;
    return nullptr;
}

}  // namespace

std::optional<std::string> DataWindow::check_value(int column,
                                                   const std::optional<std::string>& v) const {
    if (!v) return std::nullopt;
    const ColumnDef& c = def_->columns[column];
    if (!text::is_valid_utf8(*v)) return "文本编码无效：" + c.name;
    if (c.type == ColumnType::datetime) {
        if (!db::DateTime::parse(*v)) return "日期无效：" + *v;
        return std::nullopt;
    }
    if (c.byte_limit > 0) {
        std::size_t bytes = text::gbk_length(*v);
        if (bytes > static_cast<std::size_t>(c.byte_limit))
            return "输入内容过长：" + c.name + " 最多 " + std::to_string(c.byte_limit) +
                   " 个字节（一个汉字占 2 个字节），现有 " + std::to_string(bytes) + " 个字节";
    }
    return std::nullopt;
}

bool DataWindow::parse_entry(int column, const std::string& text, std::optional<std::string>& v,
                             std::string& error) const {
    const ColumnDef& c = def_->columns[column];
    v.reset();
    if (c.type == ColumnType::datetime) {
        // An emptied date field holds null; an untouched mask may hand back its literals.
        if (text.find_first_not_of(" -_") == std::string::npos) return true;
        // Through the mask only the date is typed; the time of day is then midnight.
        bool masked = c.edit_style == EditStyle::edit_mask;
        auto dt = !masked || fits_date_mask(text) ? db::DateTime::parse(text) : std::nullopt;
        if (!dt) {
            error = "日期无效：" + text;
            return false;
        }
        v = dt->to_string();
        return true;
    }
    if (c.edit_style == EditStyle::code_table_dropdown) {
        if (text.empty()) return true;
        if (const CodeEntry* e = entry_by_display(c, text)) {
            v = e->stored;
            return true;
        }
        if (entry_by_stored(c, text)) {
            v = text;
            return true;
        }
        error = "无效的选项：" + text;
        return false;
    }
    v = text;
    if (auto refused = check_value(column, v)) {
        error = *refused;
        return false;
    }
    return true;
}

std::optional<std::string> DataWindow::check_typing(std::string_view typed, int column) const {
    const int index = column > 0 ? column - 1 : current_column_;
    if (index < 0 || index >= column_count()) return "没有可编辑的字段";
    const ColumnDef& c = def_->columns[index];
    if (!text::is_valid_utf8(typed)) return "文本编码无效：" + c.name;
    if (c.edit_style == EditStyle::edit_mask) {
        if (typed.size() > c.edit_mask.size())
            return "输入内容过长：" + c.name + " 的格式为 " + c.edit_mask;
        return std::nullopt;
    }
    if (c.edit_style != EditStyle::edit || c.byte_limit <= 0) return std::nullopt;
    std::size_t bytes = text::gbk_length(typed);
    if (bytes > static_cast<std::size_t>(c.byte_limit))
        return "输入内容过长：" + c.name + " 最多 " + std::to_string(c.byte_limit) +
               " 个字节（一个汉字占 2 个字节）";
    return std::nullopt;
}

int DataWindow::settext(std::string_view typed) {
    if (readonly_ || !valid_row(current_row_) || current_column_ < 0) return -1;
    if (check_typing(typed)) return -1;
    pending_ = PendingEdit{std::string(typed)};
    edit_changed.fire();
    return 1;
}

std::optional<std::string> DataWindow::gettext() const {
    if (pending_) return pending_->text;
    return edit_text(current_row_, current_column_ + 1);
}

bool DataWindow::edit_modified() const {
    return pending_ && edit_text(current_row_, current_column_ + 1) != pending_->text;
}

void DataWindow::discardtext() {
    if (!pending_) return;
    pending_.reset();
    edit_changed.fire();
}

int DataWindow::accepttext() {
    if (!pending_) return 1;
    std::string typed = pending_->text;
    if (readonly_ || !valid_row(current_row_) || current_column_ < 0) {
        report_itemerror(typed, "数据窗口为只读，不能修改");
        discardtext();
        return -1;
    }
    if (edit_text(current_row_, current_column_ + 1) == typed) {
        discardtext();  // the field was left as it was
        return 1;
    }
    std::optional<std::string> v;
    std::string error;
    if (!parse_entry(current_column_, typed, v, error)) {
        report_itemerror(typed, error);
        return -1;
    }
    pending_.reset();
    store(current_row_, current_column_, v ? std::optional<std::string_view>(*v) : std::nullopt);
    edit_changed.fire();
    return 1;
}

void DataWindow::report_itemerror(const std::string& typed, const std::string& message) const {
    if (on_itemerror_) on_itemerror_(ItemError{current_row_, getcolumnname(), typed, message});
}

// --- display -----------------------------------------------------------------------------

std::optional<std::string> DataWindow::format_value(int column,
                                                    std::optional<std::string_view> v) const {
    if (!v) return std::string();
    const ColumnDef& c = def_->columns[column];
    if (const CodeEntry* e = entry_by_stored(c, *v)) return e->display;
    // "[shortdate] [time]" shows "yyyy-mm-dd hh:mm:ss": one fixed, unambiguous form on every
    // machine, which is also how the value is held. "[general]" shows the value unchanged.
    if (c.type == ColumnType::datetime) {
        if (auto dt = db::DateTime::parse(*v)) return dt->to_string();
    }
    return std::string(*v);
}

std::optional<std::string> DataWindow::display_text(int row, std::string_view object) const {
    if (!valid_row(row)) return std::nullopt;
    int c = column_of(object);
    if (c >= 0) return format_value(c, value(rows_[row - 1], c));
    const ObjectDef* o = def_->object(object);
    if (o && o->kind == ObjectKind::compute && is_getrow(o->expression)) return std::to_string(row);
    return std::nullopt;
}

std::optional<std::string> DataWindow::edit_text(int row, int column) const {
    if (!valid_row(row) || column < 1 || column > column_count()) return std::nullopt;
    const ColumnDef& c = def_->columns[column - 1];
    auto v = value(rows_[row - 1], column - 1);
    if (!v) return std::string();
    if (c.type == ColumnType::datetime) {
        auto dt = db::DateTime::parse(*v);
        if (dt && c.edit_style == EditStyle::edit_mask) return dt->to_string().substr(0, 10);
        return dt ? dt->to_string() : std::string(*v);
    }
    if (const CodeEntry* e = entry_by_stored(c, *v)) return e->display;
    return std::string(*v);
}

}  // namespace runtime
