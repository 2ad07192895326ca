// d_employee: the list's grid. A title row, then one line per employee with a running row
// number and the 24 columns side by side. Nothing in it is in the tab order.
#include "screens/definitions/employee_record.h"

namespace screens {
namespace {

struct GridPlace {
    const char* column;  // the detail object: a column, or compute_1
    int x;
    int width;
};

// Left edges and widths in layout units, left to right; each title shares its column's.
constexpr GridPlace kPlaces[] = {
    {"compute_1", 9, 105},      {"eid", 123, 462},           {"ename", 594, 370},
    {"sex", 974, 114},          {"born", 1097, 357},         {"naviteplace", 1463, 361},
    {"nationality", 1833, 361}, {"school", 2203, 261},       {"bodyhigh", 2473, 274},
    {"bodyweight", 2757, 229},  {"maerry", 2994, 142},       {"bornfrom", 3145, 352},
    {"idcard", 3506, 585},      {"urgent", 4101, 311},       {"urgentphone", 4421, 384},
    {"department", 4814, 352},  {"position", 5175, 361},     {"email", 5545, 530},
    {"phone", 6085, 434},       {"mobile", 6528, 521},       {"qq", 7058, 457},
    {"msn", 7525, 553},         {"othercontact", 8087, 763}, {"content", 8859, 974},
    {"flag", 9842, 110},
};

constexpr int kHeaderHeight = 76;
constexpr int kDetailHeight = 88;

runtime::ObjectDef title(const std::string& name, const std::string& text, const GridPlace& p) {
    runtime::ObjectDef o;
    o.kind = runtime::ObjectKind::text;
    o.name = name;
    o.band = runtime::Band::header;
    o.rect = {p.x, 8, p.width, 60};
    o.text = text;
    return o;
}

runtime::ObjectDef cell(const GridPlace& p) {
    runtime::ObjectDef o;
    o.kind = runtime::ObjectKind::column;
    o.name = p.column;
    o.band = runtime::Band::detail;
    o.rect = {p.x, 8, p.width, 72};
    return o;
}

runtime::ObjectDef row_number(const GridPlace& p) {
    runtime::ObjectDef o;
    o.kind = runtime::ObjectKind::compute;
    o.name = "compute_1";
    o.band = runtime::Band::detail;
    o.rect = {p.x, 4, p.width, 76};
    o.expression = "getrow()";
    o.format = "[GENERAL]";
    return o;
}

}  // namespace

std::shared_ptr<const runtime::Definition> d_employee() {
    auto def = std::make_shared<runtime::Definition>();
    def->name = "d_employee";
    def->style = runtime::PresentationStyle::grid;
    def->bands = {{runtime::Band::header, kHeaderHeight},
                  {runtime::Band::detail, kDetailHeight},
                  {runtime::Band::summary, 0},
                  {runtime::Band::footer, 0}};
    for (const auto& c : employee_columns())
        def->columns.push_back(employee_column_def(c, std::string(c.name) == "flag"));
    def->select = employee_select();
    def->update = employee_update();

    const auto& columns = employee_columns();
    for (const GridPlace& p : kPlaces) {
        std::string detail = p.column;
        if (detail == "compute_1") {
            def->objects.push_back(title("t_1", "No.", p));
            def->objects.push_back(row_number(p));
            def->grid_columns.push_back({"t_1", detail});
            continue;
        }
        for (const auto& c : columns) {
            if (detail != c.name) continue;
            def->objects.push_back(title(detail + "_t", c.list_label, p));
            def->objects.push_back(cell(p));
            def->grid_columns.push_back({detail + "_t", detail});
        }
    }
    return def;
}

}  // namespace screens
