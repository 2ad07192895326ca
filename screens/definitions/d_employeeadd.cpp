// d_employeeadd: one employee as a form. A caption and a field per column, laid out in
// lines, the photo p_1 at the right of the first five lines. Fields are visited in column
// order (tab 10 to 240), not in their visual order.
#include <algorithm>

#include "platform/text/gbk.h"
#include "screens/definitions/employee_record.h"

namespace screens {
namespace {

struct FieldPlace {
    const char* column;
    int line_y;  // the top of the line; the field starts there
    int x;
    int width;
};

// Fields in layout units, line by line as the form shows them.
constexpr FieldPlace kFields[] = {
    {"eid", 56, 425, 530},
    {"ename", 56, 1417, 530},
    {"sex", 176, 425, 201},
    {"born", 176, 1417, 530},
    {"maerry", 292, 425, 530},
    {"school", 292, 1417, 530},
    {"nationality", 412, 425, 530},
    {"naviteplace", 412, 1417, 530},
    {"bodyhigh", 532, 425, 530},
    {"bodyweight", 532, 1417, 530},
    {"bornfrom", 648, 425, 2135},
    {"idcard", 768, 425, 1088},
    {"urgent", 768, 1984, 581},
    {"department", 888, 425, 530},
    {"position", 888, 1275, 288},
    {"urgentphone", 888, 1989, 581},
    {"phone", 1004, 425, 530},
    {"mobile", 1004, 1275, 530},
    {"flag", 1004, 2066, 503},
    {"qq", 1120, 425, 530},
    {"email", 1120, 1275, 535},
    {"msn", 1120, 2066, 503},
    {"othercontact", 1248, 425, 2149},
    {"content", 1372, 425, 2158},
};

constexpr int kDetailHeight = 1488;
constexpr int kFieldHeight = 84;
constexpr int kCaptionHeight = 60;
constexpr int kCaptionGap = 23;  // between a caption's right end and its field
// Caption widths in units: a Chinese character of 9 points is 12 pixels wide at 96 dots per
// inch (55 units, 28 a GBK byte); a Latin letter at most 9 pixels (41 units). Rounded up so
// no caption is cut.
constexpr int kUnitsPerGbkByte = 28;
constexpr int kUnitsPerAscii = 41;

int caption_width(const std::string& text) {
    const auto ascii =
        std::count_if(text.begin(), text.end(), [](unsigned char c) { return c < 0x80; });
    const auto wide_bytes = static_cast<long>(text::gbk_length(text)) - ascii;
    return static_cast<int>(10 + ascii * kUnitsPerAscii + wide_bytes * kUnitsPerGbkByte);
}
constexpr long kWhite = 16777215;

runtime::ObjectDef caption(const EmployeeColumn& c, const FieldPlace& f) {
    runtime::ObjectDef o;
    o.kind = runtime::ObjectKind::text;
    o.name = std::string(c.name) + "_t";
    o.band = runtime::Band::detail;
    o.text = c.form_label;
    const int width = caption_width(o.text);
    o.rect = {f.x - kCaptionGap - width, f.line_y + (kFieldHeight - kCaptionHeight) / 2, width,
              kCaptionHeight};
    return o;
}

runtime::ObjectDef field(const FieldPlace& f, int tab_order) {
    runtime::ObjectDef o;
    o.kind = runtime::ObjectKind::column;
    o.name = f.column;
    o.band = runtime::Band::detail;
    o.rect = {f.x, f.line_y, f.width, kFieldHeight};
    o.tab_order = tab_order;
    o.background_color = kWhite;
    return o;
}

runtime::ObjectDef photo() {
    runtime::ObjectDef o;
    o.kind = runtime::ObjectKind::picture;
    o.name = "p_1";
    o.band = runtime::Band::detail;
    o.rect = {1975, 40, 585, 572};
    o.filename = "";
    return o;
}

}  // namespace

std::shared_ptr<const runtime::Definition> d_employeeadd() {
    auto def = std::make_shared<runtime::Definition>();
    def->name = "d_employeeadd";
    def->style = runtime::PresentationStyle::freeform;
    def->bands = {{runtime::Band::detail, kDetailHeight}};
    const auto& columns = employee_columns();
    for (const auto& c : columns) def->columns.push_back(employee_column_def(c, true));
    def->select = employee_select() + " WHERE Employee.eid = :ls_id";
    def->arguments = {{"ls_id", runtime::ColumnType::text}};
    def->update = employee_update();

    for (const FieldPlace& f : kFields) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (std::string(columns[i].name) != f.column) continue;
            def->objects.push_back(caption(columns[i], f));
            def->objects.push_back(field(f, static_cast<int>(i + 1) * 10));
        }
    }
    def->objects.push_back(photo());
    return def;
}

}  // namespace screens
