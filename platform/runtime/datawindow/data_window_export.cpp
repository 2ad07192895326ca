// saveasascii: the rows as tab-separated text in code page 936.
#include "platform/runtime/datawindow/data_window.h"
#include "platform/runtime/replace_file.h"
#include "platform/text/gbk.h"

namespace runtime {
namespace {

// A field holding a tab, a quote or a line break is quoted, inner quotes doubled, so the
// file still has one line per row and one field per column.
void append_field(std::string& line, std::string_view field) {
    if (field.find_first_of("\t\"\r\n") == std::string_view::npos) {
        line += field;
        return;
    }
    line += '"';
    for (char c : field) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

}  // namespace

std::vector<std::pair<std::string, std::string>> DataWindow::shown_columns() const {
    std::vector<std::pair<std::string, std::string>> shown;
    if (!def_) return shown;
    if (def_->style == PresentationStyle::grid && !def_->grid_columns.empty()) {
        for (const auto& g : def_->grid_columns) {
            const ObjectDef* t = def_->object(g.title_object);
            shown.emplace_back(t ? t->text : g.title_object, g.detail_object);
        }
        return shown;
    }
    for (const auto& c : def_->columns) {
        const ObjectDef* t = def_->object(c.name + "_t");
        shown.emplace_back(t && t->kind == ObjectKind::text ? t->text : c.name, c.name);
    }
    return shown;
}

std::vector<std::string> DataWindow::titles() const {
    std::vector<std::string> out;
    for (auto& [title, object] : shown_columns()) out.push_back(title);
    return out;
}

std::vector<std::string> DataWindow::row_as_displayed(int row) const {
    std::vector<std::string> out;
    if (!valid_row(row)) return out;
    for (auto& [title, object] : shown_columns())
        out.push_back(display_text(row, object).value_or(""));
    return out;
}

int DataWindow::saveasascii(std::string_view path) {
    if (!def_ || path.empty()) return -1;
    std::string utf8;
    auto add_line = [&](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i) utf8 += '\t';
            append_field(utf8, fields[i]);
        }
        utf8 += "\r\n";
    };
    add_line(titles());
    for (int row = 1; row <= rowcount(); ++row) add_line(row_as_displayed(row));
    std::string bytes;
    try {
        bytes = text::to_gbk(utf8);
    } catch (const text::EncodingError&) {
        return -1;
    }
    std::string target = resolve_path_ ? resolve_path_(path) : std::string(path);
    // Beside and renamed over: a failed write leaves the file it was to replace whole.
    return replace_file(target, bytes) ? 1 : -1;
}

}  // namespace runtime
