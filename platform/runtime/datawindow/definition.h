// Data-window definitions as data: what a data window selects, how it lays its objects out
// and how it writes changes back. A definition is immutable once built and shared by every
// data window that presents it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

enum class PresentationStyle { grid, freeform };

enum class Band { header, detail, summary, footer };

// Column values are held as text; a datetime column holds "YYYY-MM-DD HH:MM:SS".
enum class ColumnType { text, datetime };

enum class EditStyle {
    edit,                 // one-line text entry limited to the column's byte limit
    code_table_dropdown,  // the value is chosen from the column's code table
    edit_mask,            // masked entry (the column's edit_mask, e.g. "yyyy-mm-dd")
};

enum class ObjectKind { text, column, compute, picture };

struct Font {
    std::string face = "Arial";
    int points = 9;
    int weight = 400;
    bool operator==(const Font&) const = default;
};

// Positions and sizes in layout units.
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

// One entry of a code table: the text shown and the value stored.
struct CodeEntry {
    std::string display;
    std::string stored;
};

// A column of the result set, in SELECT order.
struct ColumnDef {
    std::string name;
    ColumnType type = ColumnType::text;
    int byte_limit = 0;  // most GBK bytes a value may take; 0: no limit of its own
    EditStyle edit_style = EditStyle::edit;
    std::vector<CodeEntry> code_table;  // in the order the entries are offered
    std::string edit_mask;              // for EditStyle::edit_mask
    std::string format = "[general]";   // display format
};

// A visible object of the layout: a title or caption, a column's field, a computed field or
// a picture.
struct ObjectDef {
    ObjectKind kind = ObjectKind::text;
    std::string name;
    Band band = Band::detail;
    Rect rect;
    std::string text;        // text objects: the title or caption
    std::string expression;  // compute objects, e.g. "getrow()"
    std::string format;      // compute objects: display format, e.g. "[GENERAL]"
    std::string filename;    // picture objects: the picture file ("" shows nothing)
    int tab_order = 0;       // column objects: 0 keeps the field out of the tab order
    Font font;
    std::optional<long> background_color;  // none: no background of its own
};

// A grid column, left to right: the header title above the detail object.
struct GridColumnDef {
    std::string title_object;
    std::string detail_object;
};

struct BandDef {
    Band band = Band::detail;
    int height = 0;
};

// A retrieval argument: a name used as ":name" in the SELECT and bound as a value.
struct RetrievalArgument {
    std::string name;
    ColumnType type = ColumnType::text;
};

// What a changed row's UPDATE requires of the table's row besides the key.
enum class UpdateWhere {
    key,               // nothing: the key alone finds the row
    key_and_modified,  // the retrieved values of the columns it changes, so a row another
                       // user changed in those columns since is not overwritten
};

struct UpdateDef {
    std::string table;                     // empty: the definition does not write
    std::vector<std::string> key_columns;  // rows are written back by these columns
    std::vector<std::string> updatable_columns;
    UpdateWhere where = UpdateWhere::key;
};

struct Definition {
    std::string name;
    PresentationStyle style = PresentationStyle::grid;
    std::vector<BandDef> bands;
    std::vector<ColumnDef> columns;
    std::vector<ObjectDef> objects;
    std::vector<GridColumnDef> grid_columns;  // grids only
    std::string select;
    std::vector<RetrievalArgument> arguments;
    UpdateDef update;

    // Index of a column (0-based), or -1. Names are compared without regard to case.
    int column_index(std::string_view column) const;
    // An object by name (case-insensitive), or nullptr.
    const ObjectDef* object(std::string_view name) const;
    // The field object of a column (the column object of the same name), or nullptr.
    const ObjectDef* column_object(int column) const;
    int band_height(Band band) const;
    // The object of `band` under a point (layout units, relative to the band's top left;
    // for the detail band, to the top of the row), the last defined when several overlap;
    // nullptr over empty space. Presentations use it to name the clicked object.
    const ObjectDef* object_at(Band band, int x, int y) const;
    // The column whose field follows `column` in the tab order (wrapping round), or -1 when no
    // column is in the tab order. `column` -1 gives the first one. `backward` walks the
    // other way (Shift+Tab); from -1 it gives the last one.
    int next_in_tab_order(int column, bool backward = false) const;
    bool is_updatable(int column) const;
    bool is_key(int column) const;
};

// Case-insensitive comparison of ASCII names.
bool same_name(std::string_view a, std::string_view b);

}  // namespace runtime
