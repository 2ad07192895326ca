// saveasxlsx: the rows as an Excel workbook (libxlsxwriter), one sheet: the titles in a bold
// header row that stays in view, every value as the text the grid shows it (an 18-digit ID
// number, a phone number with a leading zero and "=1+2" stay exactly as they are, nothing
// is taken for a number or a formula), dates as dates, the row number as a number, and
// columns as wide as their texts.
#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/runtime/datawindow/data_window.h"
#include "platform/runtime/replace_file.h"
#include "platform/text/utf8.h"

namespace runtime {
namespace {

constexpr double kMinWidth = 4, kMaxWidth = 60;  // in characters
constexpr int kFirstExcelYear = 1900;            // earlier dates are written as text

// How a shown column's cells are written.
enum class CellKind { text, number, date };

// The width a text takes in a spreadsheet's characters: a Chinese letter two, others one.
double display_width(std::string_view s) {
    double width = 0;
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        const std::size_t n = text::decode_utf8(s, i, cp);
        width += n > 0 && cp >= 0x1100 ? 2 : 1;
        i += std::max<std::size_t>(n, 1);
    }
    return width;
}

// A spreadsheet reads "_x0041_" in a text as the letter it encodes: a text that holds such
// a sequence has its underscore written as "_x005F_", so it reads back as typed.
std::string escaped(std::string_view s) {
    if (s.find("_x") == std::string_view::npos) return std::string(s);
    auto is_hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && is_hex(s[i + 2]) &&
            is_hex(s[i + 3]) && is_hex(s[i + 4]) && is_hex(s[i + 5]) && s[i + 6] == '_')
            out += "_x005F";
        out += s[i];
    }
    return out;
}

// A sheet name Excel takes: at most 31 characters, none of []:*?/\.
std::string sheet_name_of(std::string_view name) {
    std::string out;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size() && characters < 31;) {
        char32_t cp = 0;
        const std::size_t n = text::decode_utf8(name, i, cp);
        if (n == 0) break;
        if (std::string_view("[]:*?/\\").find(name[i]) == std::string_view::npos || n > 1) {
            out.append(name.substr(i, n));
            ++characters;
        }
        i += n;
    }
    return out.empty() ? "Sheet1" : out;
}

struct WorkbookCloser {
    void operator()(lxw_workbook* wb) const { workbook_close(wb); }
};

}  // namespace

int DataWindow::saveasxlsx(std::string_view path, std::string_view sheet_name) {
    if (!def_ || path.empty()) return -1;
    const std::string target = resolve_path_ ? resolve_path_(path) : std::string(path);
    const bool written = replace_file_with(target, [&](const std::filesystem::path& file) {
        return write_workbook(file.string(), sheet_name_of(sheet_name));
    });
    return written ? 1 : -1;
}

bool DataWindow::write_workbook(const std::string& file, const std::string& sheet_name) const {
    // Rows go to the file as they are written, not held: 100,000 rows take little memory.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    std::unique_ptr<lxw_workbook, WorkbookCloser> workbook(
        workbook_new_opt(file.c_str(), &options));
    if (!workbook) return false;
    lxw_workbook* wb = workbook.get();
    lxw_worksheet* sheet = workbook_add_worksheet(wb, sheet_name.c_str());
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format* as_text = workbook_add_format(wb);
    format_set_num_format(as_text, "@");  // the cell stays text when the user edits it
    lxw_format* as_date = workbook_add_format(wb);
    format_set_num_format(as_date, "yyyy-mm-dd hh:mm:ss");
    if (!sheet) return false;

    const auto columns = shown_columns();
    std::vector<CellKind> kinds;
    std::vector<double> widths;
    bool ok = true;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto& [title, object] = columns[c];
        const ObjectDef* o = def_->object(object);
        const int column = column_of(object);
        kinds.push_back(o && o->kind == ObjectKind::compute ? CellKind::number
                        : column >= 0 && def_->columns[column].type == ColumnType::datetime
                            ? CellKind::date
                            : CellKind::text);
        widths.push_back(display_width(title));
        ok &= worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), escaped(title).c_str(),
                                     bold) == LXW_NO_ERROR;
    }
    for (int row = 1; ok && row <= rowcount(); ++row) {
        for (std::size_t c = 0; ok && c < columns.size(); ++c) {
            const std::string shown = display_text(row, columns[c].second).value_or("");
            if (shown.empty()) continue;  // null or empty: no cell
            // A text is never wider than its bytes: most need no measuring.
            if (static_cast<double>(shown.size()) > widths[c])
                widths[c] = std::max(widths[c], display_width(shown));
            const auto at_col = static_cast<lxw_col_t>(c);
            const auto at_row = static_cast<lxw_row_t>(row);
            if (kinds[c] == CellKind::number &&
                shown.find_first_not_of("0123456789") == std::string::npos) {
                ok = worksheet_write_number(sheet, at_row, at_col, std::stod(shown), nullptr) ==
                     LXW_NO_ERROR;
                continue;
            }
            if (kinds[c] == CellKind::date)
                if (auto d = getitemdatetime(row, columns[c].second);
                    d && d->year >= kFirstExcelYear) {
                    lxw_datetime when{};
                    when.year = d->year;
                    when.month = static_cast<uint8_t>(d->month);
                    when.day = static_cast<uint8_t>(d->day);
                    when.hour = static_cast<uint8_t>(d->hour);
                    when.min = static_cast<uint8_t>(d->minute);
                    when.sec = d->second;
                    ok = worksheet_write_datetime(sheet, at_row, at_col, &when, as_date) ==
                         LXW_NO_ERROR;
                    continue;
                }
            const std::string text = escaped(shown);
            ok = worksheet_write_string(sheet, at_row, at_col, text.c_str(), as_text) ==
                 LXW_NO_ERROR;
        }
    }
    for (std::size_t c = 0; c < columns.size(); ++c)
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             std::clamp(widths[c] + 2, kMinWidth, kMaxWidth), nullptr);
    worksheet_freeze_panes(sheet, 1, 0);
    // A value the format cannot hold fails the whole file rather than write it cut.
    const bool closed = workbook_close(workbook.release()) == LXW_NO_ERROR;
    return ok && closed;
}

}  // namespace runtime
