// saveasascii: the rows as tab-separated text in code page 936.
#include <cstdio>
#include <filesystem>

#include "platform/runtime/datawindow/data_window.h"
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

bool write_file(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::error_code ec;
        std::filesystem::remove(path, ec);  // no half-written export left behind
    }
    return ok;
}

}  // namespace

int DataWindow::saveasascii(std::string_view path) {
    if (!def_ || path.empty()) return -1;
    // Titles and the objects under them: a grid's columns left to right; a free form's
    // columns in SELECT order under their captions ("eid_t"), or their names.
    std::vector<std::string> titles, objects;
    if (def_->style == PresentationStyle::grid && !def_->grid_columns.empty()) {
        for (const auto& g : def_->grid_columns) {
            const ObjectDef* t = def_->object(g.title_object);
            titles.push_back(t ? t->text : g.title_object);
            objects.push_back(g.detail_object);
        }
    } else {
        for (const auto& c : def_->columns) {
            const ObjectDef* t = def_->object(c.name + "_t");
            titles.push_back(t && t->kind == ObjectKind::text ? t->text : c.name);
            objects.push_back(c.name);
        }
    }
    std::string utf8;
    auto end_line = [&](std::string& line) {
        utf8 += line;
        utf8 += "\r\n";
        line.clear();
    };
    std::string line;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (i) line += '\t';
        append_field(line, titles[i]);
    }
    end_line(line);
    for (int row = 1; row <= rowcount(); ++row) {
        for (std::size_t i = 0; i < objects.size(); ++i) {
            if (i) line += '\t';
            append_field(line, display_text(row, objects[i]).value_or(""));
        }
        end_line(line);
    }
    std::string bytes;
    try {
        bytes = text::to_gbk(utf8);
    } catch (const text::EncodingError&) {
        return -1;
    }
    std::string target = resolve_path_ ? resolve_path_(path) : std::string(path);
    return write_file(target, bytes) ? 1 : -1;
}

}  // namespace runtime
