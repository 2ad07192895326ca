#include "component/gateway.h"

#include "component/column_spelling.h"

#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"

namespace tarvo {

using namespace com;

ado::_Connection* Gateway::connection() {
    if (!conn_)
        fail(TARVO_E_NO_CONNECTION,
             "No connection: call SetConn with an open ADODB.Connection before this operation");
    return conn_.get();
}

void Gateway::execute(const std::u16string& statement) {
    ado::_Connection* conn = connection();
    Bstr text(statement);
    Ptr<ado::_Recordset> unread;
    check(conn->Execute(text.get(), nullptr, ado::adOptionUnspecified, unread.out()),
          "Connection.Execute");
}

StaticCursor Gateway::open(const std::u16string& statement, bool forward) {
    ado::_Connection* conn = connection();
    Ptr<ado::_Recordset> rs;
    check(CoCreateInstance(ado::CLSID_Recordset, nullptr, CLSCTX_INPROC_SERVER, ado::IID__Recordset,
                           rs.out_void()),
          "creating an ADODB.Recordset");
    Variant source = Variant::adopt(var_text(std::u16string_view(statement)));
    Variant active = Variant::adopt(var_dispatch(conn));
    check(rs->Open(*source, *active, forward ? ado::adOpenForwardOnly : ado::adOpenStatic,
                   ado::adLockUnspecified, ado::adOptionUnspecified),
          "Recordset.Open");
    return StaticCursor(std::move(rs));
}

StaticCursor::~StaticCursor() {
    if (rs_ && !closed_) {
        rs_->Close();
        ErrorText ignored;
        take_error(ignored);  // a cursor closed while failing leaves the first failure's text
    }
}

bool StaticCursor::eof() {
    VARIANT_BOOL v;
    check(rs_->get_EOF(&v), "Recordset.EOF");
    return v != VARIANT_FALSE;
}

long StaticCursor::record_count() {
    LONG n;
    check(rs_->get_RecordCount(&n), "Recordset.RecordCount");
    return n;
}

long StaticCursor::field_count() {
    Ptr<ado::Fields> fields;
    check(rs_->get_Fields(fields.out()), "Recordset.Fields");
    LONG n;
    check(fields->get_Count(&n), "Fields.Count");
    return n;
}

ado::Field* StaticCursor::new_field(long position) {
    Ptr<ado::Fields> fields;
    check(rs_->get_Fields(fields.out()), "Recordset.Fields");
    Ptr<ado::Field> f;
    check(fields->get_Item(var_i4(static_cast<LONG>(position)), f.out()), "Fields.Item");
    if (fields_.size() <= static_cast<std::size_t>(position)) fields_.resize(position + 1);
    fields_[position] = std::move(f);
    return fields_[position].get();
}

std::u16string StaticCursor::field_name(long position) {
    Bstr name;
    check(field(position)->get_Name(name.out()), "Field.Name");
    return declared_spelling(name.view());
}

Variant StaticCursor::field_value(long position) {
    Variant v;
    check(field(position)->get_Value(v.out()), "Field.Value");
    return v;
}

void StaticCursor::move_next() {
    check(rs_->MoveNext(), "Recordset.MoveNext");
}

long StaticCursor::read_rows(ResultArray& out, std::size_t first, long rows) {
    LONG read = 0;
    check(rs_->GetRowsInto(out.cells(), static_cast<LONG>(first), static_cast<LONG>(rows), &read),
          "Recordset.GetRowsInto");
    return read;
}

void StaticCursor::set_page_size(long size) {
    check(rs_->put_PageSize(static_cast<LONG>(size)), "Recordset.PageSize");
}

void StaticCursor::set_absolute_page(long page) {
    check(rs_->put_AbsolutePage(static_cast<LONG>(page)), "Recordset.AbsolutePage");
}

void StaticCursor::close() {
    closed_ = true;
    check(rs_->Close(), "Recordset.Close");
}

}  // namespace tarvo
