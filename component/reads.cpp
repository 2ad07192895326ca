#include "component/reads.h"

#include <string>
#include <utility>
#include <vector>

#include "component/row_block.h"
#include "platform/ado/ado.h"
#include "platform/com/bstr.h"

namespace tarvo {

using namespace com;

namespace {

// Row 0: the column names.
void write_header(StaticCursor& cursor, long columns, ResultArray& out) {
    for (long c = 0; c < columns; ++c)
        out.put(0, c, var_text(std::u16string_view(cursor.field_name(c))));
}

// The cursor's current row as row `row`.
void write_row(StaticCursor& cursor, long columns, std::size_t row, ResultArray& out) {
    for (long c = 0; c < columns; ++c) cursor.read_value(c, out.slot(row, c));
}

}  // namespace

ResultArray full_listing(Gateway& gateway, const std::u16string& statement) {
    StaticCursor cursor = gateway.open(statement);
    long rows = cursor.record_count();
    long columns = cursor.field_count();
    ResultArray out(static_cast<std::size_t>(rows) + 1, columns);
    write_header(cursor, columns, out);
    cursor.read_rows(out, 1, rows);  // rows removed since the count stay Empty
    cursor.close();
    return out;
}

ResultArray single_record(Gateway& gateway, const std::u16string& statement) {
    StaticCursor cursor = gateway.open(statement);
    long rows = cursor.record_count();
    long columns = cursor.field_count();
    // Rows after the first stay Empty: a key that two rows share gives three rows.
    ResultArray out(static_cast<std::size_t>(rows) + 1, columns);
    write_header(cursor, columns, out);
    if (!cursor.eof()) write_row(cursor, columns, 1, out);
    cursor.close();
    return out;
}

namespace {

long to_long(std::u16string_view param, const VARIANT& value) {
    Variant converted;
    HRESULT h = VariantChangeType(converted.get(), &value, 0, VT_I4);
    if (h == DISP_E_OVERFLOW)
        fail(TARVO_E_OVERFLOW, "Parameter " + to_utf8(param) + ": the number does not fit 32 bits");
    if (FAILED(h))
        fail(TARVO_E_CONVERSION,
             "Parameter " + to_utf8(param) + ": the value cannot be converted to a 32-bit integer");
    return converted->lVal;
}

}  // namespace

PageRequest page_request(const VARIANT& size, const VARIANT& number) {
    PageRequest r{to_long(u"nPageSize", size), to_long(u"nPage", number)};
    if (r.size < 1)
        fail(ado::E_ADO_ARGUMENT, "Argument out of range: the page size must be 1 or more, not " +
                                      std::to_string(r.size));
    if (r.number < 1)
        fail(ado::E_ADO_ARGUMENT, "Argument out of range: the page number must be 1 or more, not " +
                                      std::to_string(r.number));
    return r;
}

std::u16string in_key_order(const std::u16string& statement, std::u16string_view key) {
    std::u16string out = statement;
    if (!out.ends_with(u' ')) out += u' ';
    return out + u"ORDER BY " + std::u16string(key);
}

ResultArray page(Gateway& gateway, const std::u16string& statement, PageRequest request) {
    long long offset = static_cast<long long>(request.number - 1) * request.size;
    std::u16string limited = statement;
    if (!limited.ends_with(u' ')) limited += u' ';
    limited +=
        to_utf16("LIMIT " + std::to_string(request.size) + " OFFSET " + std::to_string(offset));
    StaticCursor cursor = gateway.open(limited, true);  // read once, in order, never counted
    if (cursor.eof()) {
        cursor.close();
        return ResultArray();  // an empty table, or a page past the last
    }
    // The rows are collected first: asking for the count would read the skipped rows again.
    RowBlock rows(cursor.field_count());
    const long columns = rows.columns();
    while (static_cast<long>(rows.rows()) < request.size && !cursor.eof()) {
        std::size_t r = rows.add_row();
        for (long c = 0; c < columns; ++c) cursor.read_value(c, &rows.cell(r, c));
        cursor.move_next();
    }
    cursor.close();
    ResultArray out(rows.rows(), columns);
    for (long c = 0; c < columns; ++c)
        for (std::size_t r = 0; r < rows.rows(); ++r)
            *out.slot(r, c) = std::exchange(rows.cell(r, c), var_empty());
    return out;
}

}  // namespace tarvo
