// modify and describe: reading and setting properties of the data window and its objects
// with the "object.property=value" syntax the screens use.
#include <cctype>

#include "platform/runtime/datawindow/data_window.h"
#include "platform/text/gbk.h"

namespace runtime {
namespace {

struct Assignment {
    std::string object;
    std::string property;
    std::string value;
};

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Splits "a.b" at its first dot ("datawindow.table.select" -> "datawindow", "table.select").
bool split_target(std::string_view target, std::string& object, std::string& property) {
    std::size_t dot = target.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == target.size()) return false;
    object = text::ascii_lower(target.substr(0, dot));
    property = text::ascii_lower(target.substr(dot + 1));
    return true;
}

// Parses "obj.prop=value obj.prop='quoted value' ...". Backslashes are ordinary characters
// (paths such as c:\tempemployee.JPG); '~' escapes the next character inside quotes.
bool parse_assignments(std::string_view s, std::vector<Assignment>& out, std::string& error) {
    std::size_t i = 0;
    while (true) {
        while (i < s.size() && blank(s[i])) ++i;
        if (i == s.size()) return true;
        std::size_t eq = s.find('=', i);
        if (eq == std::string_view::npos) {
            error = "modify 语法错误：缺少“=”：" + std::string(s.substr(i));
            return false;
        }
        std::string_view target = s.substr(i, eq - i);
        while (!target.empty() && blank(target.back())) target.remove_suffix(1);
        Assignment a;
        if (!split_target(target, a.object, a.property)) {
            error = "modify 语法错误：" + std::string(target);
            return false;
        }
        i = eq + 1;
        while (i < s.size() && blank(s[i])) ++i;
        if (i < s.size() && (s[i] == '\'' || s[i] == '"')) {
            char quote = s[i++];
            bool closed = false;
            while (i < s.size()) {
                char c = s[i++];
                if (c == '~' && i < s.size()) {
                    a.value += s[i++];
                } else if (c == quote) {
                    closed = true;
                    break;
                } else {
                    a.value += c;
                }
            }
            if (!closed) {
                error = "modify 语法错误：引号未结束";
                return false;
            }
        } else {
            while (i < s.size() && !blank(s[i])) a.value += s[i++];
        }
        out.push_back(std::move(a));
    }
}

std::optional<bool> yes_no(std::string_view v) {
    std::string l = text::ascii_lower(v);
    if (l == "yes" || l == "true" || l == "1") return true;
    if (l == "no" || l == "false" || l == "0") return false;
    return std::nullopt;
}

const char* kind_name(ObjectKind k) {
    switch (k) {
        case ObjectKind::text:
            return "text";
        case ObjectKind::column:
            return "column";
        case ObjectKind::compute:
            return "compute";
        case ObjectKind::picture:
            return "bitmap";
    }
    return "?";
}

const char* band_name(Band b) {
    switch (b) {
        case Band::header:
            return "header";
        case Band::detail:
            return "detail";
        case Band::summary:
            return "summary";
        case Band::footer:
            return "footer";
    }
    return "?";
}

}  // namespace

std::string DataWindow::picture_filename(std::string_view object) const {
    for (const auto& [name, file] : picture_files_)
        if (same_name(name, object)) return file;
    return "";
}

std::string DataWindow::modify(std::string_view command) {
    if (!def_) return "数据窗口没有定义";
    std::vector<Assignment> assignments;
    std::string error;
    if (!parse_assignments(command, assignments, error)) return error;
    // Check every assignment before applying any, so a bad one changes nothing.
    for (const auto& a : assignments) {
        if (a.object == "datawindow") {
            if (a.property != "readonly") return "不支持的属性：datawindow." + a.property;
            if (!yes_no(a.value)) return "readonly 的值应为 yes 或 no：" + a.value;
            continue;
        }
        const ObjectDef* o = def_->object(a.object);
        if (!o) return "没有这个对象：" + a.object;
        if (o->kind != ObjectKind::picture || a.property != "filename")
            return "不支持的属性：" + a.object + "." + a.property;
    }
    for (const auto& a : assignments) {
        if (a.object == "datawindow") {
            readonly_ = *yes_no(a.value);
            if (readonly_) discardtext();
        } else {
            for (auto& [name, file] : picture_files_)
                if (same_name(name, a.object)) file = a.value;
        }
        property_changed.fire(a.object, a.property);
    }
    return "";
}

std::string DataWindow::describe(std::string_view properties) const {
    std::string out;
    std::size_t i = 0;
    while (i < properties.size()) {
        while (i < properties.size() && blank(properties[i])) ++i;
        std::size_t end = i;
        while (end < properties.size() && !blank(properties[end])) ++end;
        if (end == i) break;
        std::string object, property, value = "!";
        if (split_target(properties.substr(i, end - i), object, property) && def_) {
            if (object == "datawindow") {
                if (property == "readonly") value = readonly_ ? "yes" : "no";
                if (property == "table.select") value = select_;
                if (property == "table.updatetable") value = def_->update.table;
            } else if (const ObjectDef* o = def_->object(object)) {
                if (property == "filename" && o->kind == ObjectKind::picture)
                    value = picture_filename(object);
                else if (property == "text" && o->kind == ObjectKind::text)
                    value = o->text;
                else if (property == "x")
                    value = std::to_string(o->rect.x);
                else if (property == "y")
                    value = std::to_string(o->rect.y);
                else if (property == "width")
                    value = std::to_string(o->rect.width);
                else if (property == "height")
                    value = std::to_string(o->rect.height);
                else if (property == "name")
                    value = o->name;
                else if (property == "type")
                    value = kind_name(o->kind);
                else if (property == "band")
                    value = band_name(o->band);
                else if (property == "tabsequence" && o->kind == ObjectKind::column)
                    value = std::to_string(o->tab_order);
                else if (property == "expression" && o->kind == ObjectKind::compute)
                    value = o->expression;
            }
        }
        if (!out.empty()) out += '\n';
        out += value;
        i = end;
    }
    return out;
}

}  // namespace runtime
