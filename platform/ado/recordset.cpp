#include <limits>

#include "platform/com/registry.h"

#include "platform/ado/objects.h"
#include "platform/com/bstr.h"
#include "platform/com/safearray.h"
#include "platform/db/dialect.h"

namespace ado {

using namespace com;

namespace {

constexpr char source[] = "ADODB.Recordset";

class FieldObject final : public DispatchObject<Field> {
  public:
    FieldObject(RecordsetObject* rs, LONG index)
        : DispatchObject(module_state()), rs_(rs, true), index_(index) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return query_as<Field>(this, iid, object, {IID_IUnknown, IID_IDispatch, IID_Field});
    }
    HRESULT get_Name(BSTR* name) override { return rs_->column_name(index_, name); }
    HRESULT get_Value(VARIANT* value) override { return rs_->column_value(index_, value); }

  protected:
    const DispatchTable& dispatch_table() const override {
        static const DispatchTable table({
            {0,
             u"Value",
             MemberKind::property_get,
             {},
             [](IDispatch* self, VARIANT*, VARIANT* r) {
                 return static_cast<Field*>(self)->get_Value(r);
             }},
            {1,
             u"Name",
             MemberKind::property_get,
             {},
             [](IDispatch* self, VARIANT*, VARIANT* r) {
                 r->vt = VT_BSTR;
                 return static_cast<Field*>(self)->get_Name(&r->bstrVal);
             }},
        });
        return table;
    }

  private:
    Ptr<RecordsetObject> rs_;
    LONG index_;
};

class FieldsObject final : public DispatchObject<Fields> {
  public:
    explicit FieldsObject(RecordsetObject* rs) : DispatchObject(module_state()), rs_(rs, true) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return query_as<Fields>(this, iid, object, {IID_IUnknown, IID_IDispatch, IID_Fields});
    }
    HRESULT get_Count(LONG* count) override { return rs_->column_count(count); }
    HRESULT get_Item(VARIANT index, Field** field) override {
        if (!field) return E_POINTER;
        *field = nullptr;
        LONG count;
        HRESULT h = rs_->column_count(&count);
        if (FAILED(h)) return h;
        LONG position = -1;
        Variant number;
        if (index.vt == VT_BSTR) {
            position = rs_->column_index(bstr_view(index.bstrVal));
        } else if (SUCCEEDED(VariantChangeType(number.get(), &index, 0, VT_I4))) {
            position = number->lVal;
        }
        if (position < 0 || position >= count)
            return fail(E_ADO_ARGUMENT, source,
                        "no field " + variant_text(index) + " in this recordset");
        *field = new FieldObject(rs_.get(), position);
        return S_OK;
    }

  protected:
    const DispatchTable& dispatch_table() const override {
        static const DispatchTable table({
            {0,
             u"Item",
             MemberKind::property_get,
             {{u"Index", VT_VARIANT}},
             [](IDispatch* self, VARIANT* a, VARIANT* r) {
                 Field* f = nullptr;
                 HRESULT h = static_cast<Fields*>(self)->get_Item(a[0], &f);
                 if (SUCCEEDED(h)) r->vt = VT_DISPATCH, r->pdispVal = f;
                 return h;
             }},
            {1,
             u"Count",
             MemberKind::property_get,
             {},
             [](IDispatch* self, VARIANT*, VARIANT* r) {
                 r->vt = VT_I4;
                 return static_cast<Fields*>(self)->get_Count(&r->lVal);
             }},
        });
        return table;
    }

  private:
    Ptr<RecordsetObject> rs_;
};

}  // namespace

VARIANT to_variant(const db::ValueView& value) {
    using Kind = db::ValueView::Kind;
    switch (value.kind) {
        case Kind::null:
            return var_null();
        case Kind::integer: {
            std::int64_t i = value.integer;
            if (i >= std::numeric_limits<LONG>::min() && i <= std::numeric_limits<LONG>::max())
                return var_i4(static_cast<LONG>(i));
            VARIANT v = var_empty();
            v.vt = VT_I8, v.llVal = i;
            return v;
        }
        case Kind::real:
            return var_r8(value.real);
        case Kind::text:
            return var_text(value.data);
        case Kind::datetime: {
            const db::DateTime& d = value.datetime;
            return var_date(make_date(d.year, d.month, d.day, d.hour, d.minute, d.second));
        }
        case Kind::bytes:
            break;
    }
    SAFEARRAYBOUND bound{static_cast<ULONG>(value.data.size()), 0};
    VARIANT v = var_empty();
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = SafeArrayCreate(VT_UI1, 1, &bound);
    if (v.parray && !value.data.empty())
        std::copy(value.data.begin(), value.data.end(), static_cast<char*>(v.parray->pvData));
    return v;
}

RecordsetObject::~RecordsetObject() {
    if (conn_) conn_->detach(this);
}

HRESULT RecordsetObject::QueryInterface(REFIID iid, void** object) {
    return query_as<_Recordset>(this, iid, object, {IID_IUnknown, IID_IDispatch, IID__Recordset});
}

HRESULT RecordsetObject::Open(VARIANT src, VARIANT active, LONG cursor, LONG lock, LONG) {
    if (rows_) return fail(E_ADO_ALREADY_OPEN, source, "the recordset is already open");
    // Every cursor here is static and read-only; other kinds are refused rather than faked.
    if (cursor != adOpenStatic && cursor != adOpenForwardOnly && cursor != -1)
        return fail(E_ADO_ARGUMENT, source, "only static and forward-only cursors are available");
    if (lock != adLockUnspecified && lock != adLockReadOnly)
        return fail(E_ADO_ARGUMENT, source, "only read-only recordsets are available");
    Variant sql;
    if (FAILED(VariantChangeType(sql.get(), &src, 0, VT_BSTR)) || SysStringLen(sql->bstrVal) == 0)
        return fail(E_ADO_ARGUMENT, source, "the Source of the recordset is not a statement");
    Variant conn;
    if (FAILED(VariantChangeType(conn.get(), &active, 0, VT_UNKNOWN)) || !conn->punkVal)
        return fail(E_ADO_ARGUMENT, source, "the ActiveConnection is not a connection");
    Ptr<ConnectionObject> c;
    if (FAILED(conn->punkVal->QueryInterface(IID_ConnectionObject, c.out_void())))
        return fail(E_ADO_ARGUMENT, source,
                    "the ActiveConnection is not a connection of this data-access layer");
    // A forward-only cursor is read once in order: the rows need not come with their count.
    return open_on(c.get(), bstr_utf8(sql->bstrVal),
                   cursor == adOpenForwardOnly ? db::Reading::forward : db::Reading::counted);
}

HRESULT RecordsetObject::open_on(ConnectionObject* conn, const std::string& sql,
                                 db::Reading reading) {
    if (!conn->database()) return fail(E_ADO_CLOSED, source, "the connection is not open");
    return guarded(source, [&] {
        try {
            rows_ = conn->database()->dialect().open_rows(*conn->database(), sql, reading);
        } catch (const db::Error& e) {
            return describe_failure(e, *conn->database(), source);
        }
        conn_ = Ptr<ConnectionObject>(conn, true);
        conn->attach(this);
        position_ = 0;
        current_ = nullptr;
        column_count_ = static_cast<LONG>(rows_->columns().size());
        return S_OK;
    });
}

HRESULT RecordsetObject::closed(const char* what) {
    return fail(E_ADO_CLOSED, source, std::string(what) + " needs an open recordset");
}

HRESULT RecordsetObject::current_row(const db::Cursor*& row) {
    // Every field of a row asks for it: the row found last is kept for its position.
    row = current_;
    if (current_ && current_position_ == position_) return S_OK;
    row = current_ = nullptr;
    return guarded(source, [&] {
        try {
            if (rows_->seek(position_)) row = current_ = &rows_->row();
        } catch (const db::Error& e) {
            return describe_failure(e, *conn_->database(), source);
        }
        current_position_ = position_;
        return S_OK;
    });
}

HRESULT RecordsetObject::get_EOF(VARIANT_BOOL* eof) {
    if (!eof) return E_POINTER;
    if (HRESULT h = require_open("EOF"); FAILED(h)) return h;
    const db::Cursor* row;
    if (HRESULT h = current_row(row); FAILED(h)) return h;
    *eof = row ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT RecordsetObject::get_RecordCount(LONG* count) {
    if (!count) return E_POINTER;
    if (HRESULT h = require_open("RecordCount"); FAILED(h)) return h;
    std::int64_t n = 0;
    current_ = nullptr;  // counting may move the database's cursor
    HRESULT h = guarded(source, [&] {
        try {
            n = rows_->count();
        } catch (const db::Error& e) {
            return describe_failure(e, *conn_->database(), source);
        }
        return S_OK;
    });
    if (FAILED(h)) return h;
    if (n > std::numeric_limits<LONG>::max())
        return fail(E_ADO_ARGUMENT, source, "the row count exceeds 2147483647");
    *count = static_cast<LONG>(n);
    return S_OK;
}

HRESULT RecordsetObject::get_PageSize(LONG* size) {
    if (!size) return E_POINTER;
    *size = page_size_;
    return S_OK;
}

HRESULT RecordsetObject::put_PageSize(LONG size) {
    if (size < 1) return fail(E_ADO_ARGUMENT, source, "the page size must be 1 or more");
    page_size_ = size;
    return S_OK;
}

HRESULT RecordsetObject::get_AbsolutePage(LONG* page) {
    if (!page) return E_POINTER;
    if (HRESULT h = require_open("AbsolutePage"); FAILED(h)) return h;
    const db::Cursor* row;
    if (HRESULT h = current_row(row); FAILED(h)) return h;
    *page = row ? static_cast<LONG>(position_ / page_size_ + 1) : adPosEOF;
    return S_OK;
}

HRESULT RecordsetObject::put_AbsolutePage(LONG page) {
    if (HRESULT h = require_open("AbsolutePage"); FAILED(h)) return h;
    if (page < 1) return fail(E_ADO_ARGUMENT, source, "the page number must be 1 or more");
    // A page beyond the last leaves the recordset at EOF.
    position_ = std::int64_t{page - 1} * page_size_;
    return S_OK;
}

HRESULT RecordsetObject::get_Fields(Fields** fields) {
    if (!fields) return E_POINTER;
    *fields = nullptr;
    if (HRESULT h = require_open("Fields"); FAILED(h)) return h;
    *fields = new FieldsObject(this);
    return S_OK;
}

HRESULT RecordsetObject::MoveNext() {
    if (HRESULT h = require_open("MoveNext"); FAILED(h)) return h;
    const db::Cursor* row;
    if (HRESULT h = current_row(row); FAILED(h)) return h;
    if (!row) return fail(E_ADO_NO_CURRENT_ROW, source, "MoveNext past the last row");
    ++position_;
    return S_OK;
}

HRESULT RecordsetObject::Close() {
    if (HRESULT h = require_open("Close"); FAILED(h)) return h;
    rows_.reset();
    current_ = nullptr;
    if (conn_) conn_->detach(this);
    conn_.reset();
    position_ = 0;
    return S_OK;
}

HRESULT RecordsetObject::get_State(LONG* state) {
    if (!state) return E_POINTER;
    *state = rows_ ? adStateOpen : adStateClosed;
    return S_OK;
}

HRESULT RecordsetObject::GetRowsInto(SAFEARRAY* target, LONG first_row, LONG rows, LONG* read) {
    if (!read) return E_POINTER;
    *read = 0;
    if (HRESULT h = require_open("GetRowsInto"); FAILED(h)) return h;
    if (!target || target->vt != VT_VARIANT || target->cDims != 2 ||
        target->rgsabound[1].cElements < static_cast<ULONG>(column_count_))
        return fail(E_ADO_ARGUMENT, source,
                    "GetRowsInto: the target is no array of rows with a cell for every field");
    const std::int64_t height = target->rgsabound[0].cElements;
    if (first_row < 0 || rows < 0 || first_row + std::int64_t{rows} > height)
        return fail(E_ADO_ARGUMENT, source, "GetRowsInto: the rows lie outside the target");
    auto* cells = static_cast<VARIANT*>(target->pvData);
    current_ = nullptr;
    LONG done = 0;
    HRESULT h = guarded(source, [&] {
        try {
            for (; done < rows && rows_->seek(position_); ++done, ++position_) {
                const db::Cursor& row = rows_->row();
                // Cell (r, c) lies at r + c * height: the first index varies fastest.
                VARIANT* cell = cells + first_row + done;
                for (LONG c = 0; c < column_count_; ++c, cell += height) {
                    if (cell->vt != VT_EMPTY) VariantClear(cell);
                    *cell = to_variant(row.view(c));
                }
            }
        } catch (const db::Error& e) {
            return describe_failure(e, *conn_->database(), source);
        }
        return S_OK;
    });
    *read = done;
    return h;
}

HRESULT RecordsetObject::column_count(LONG* count) {
    if (!count) return E_POINTER;
    if (HRESULT h = require_open("Fields.Count"); FAILED(h)) return h;
    *count = column_count_;
    return S_OK;
}

HRESULT RecordsetObject::column_name(LONG index, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (HRESULT h = require_open("Field.Name"); FAILED(h)) return h;
    if (index < 0 || static_cast<std::size_t>(index) >= rows_->columns().size())
        return fail(E_ADO_ARGUMENT, source, "no field " + std::to_string(index));
    *name = make_bstr(std::string_view(rows_->columns()[index]));
    return S_OK;
}

LONG RecordsetObject::column_index(std::u16string_view name) {
    if (!rows_) return -1;
    std::string wanted = to_utf8(name);
    const auto& cols = rows_->columns();
    for (std::size_t i = 0; i < cols.size(); ++i)
        if (!CaseLess()(cols[i], wanted) && !CaseLess()(wanted, cols[i]))
            return static_cast<LONG>(i);
    return -1;
}

HRESULT RecordsetObject::column_value(LONG index, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    if (HRESULT h = require_open("Field.Value"); FAILED(h)) return h;
    if (index < 0 || index >= column_count_)
        return fail(E_ADO_ARGUMENT, source, "no field " + std::to_string(index));
    const db::Cursor* row;
    if (HRESULT h = current_row(row); FAILED(h)) return h;
    if (!row) return fail(E_ADO_NO_CURRENT_ROW, source, "there is no current row (EOF)");
    *value = to_variant(row->view(index));
    return S_OK;
}

const DispatchTable& RecordsetObject::dispatch_table() const {
    static const DispatchTable table({
        {0,
         u"Fields",
         MemberKind::property_get,
         {},
         [](IDispatch* self, VARIANT*, VARIANT* r) {
             Fields* f = nullptr;
             HRESULT h = static_cast<_Recordset*>(self)->get_Fields(&f);
             if (SUCCEEDED(h)) r->vt = VT_DISPATCH, r->pdispVal = f;
             return h;
         }},
        {1,
         u"Open",
         MemberKind::method,
         {{u"Source", VT_VARIANT},
          {u"ActiveConnection", VT_VARIANT},
          {u"CursorType", VT_I4, false, true, adOpenForwardOnly},
          {u"LockType", VT_I4, false, true, adLockUnspecified},
          {u"Options", VT_I4, false, true, adOptionUnspecified}},
         [](IDispatch* self, VARIANT* a, VARIANT*) {
             return static_cast<_Recordset*>(self)->Open(a[0], a[1], a[2].lVal, a[3].lVal,
                                                         a[4].lVal);
         }},
        {2,
         u"EOF",
         MemberKind::property_get,
         {},
         [](IDispatch* self, VARIANT*, VARIANT* r) {
             r->vt = VT_BOOL;
             return static_cast<_Recordset*>(self)->get_EOF(&r->boolVal);
         }},
        {3,
         u"RecordCount",
         MemberKind::property_get,
         {},
         [](IDispatch* self, VARIANT*, VARIANT* r) {
             r->vt = VT_I4;
             return static_cast<_Recordset*>(self)->get_RecordCount(&r->lVal);
         }},
        {4,
         u"PageSize",
         MemberKind::property_get,
         {},
         [](IDispatch* self, VARIANT*, VARIANT* r) {
             r->vt = VT_I4;
             return static_cast<_Recordset*>(self)->get_PageSize(&r->lVal);
         }},
        {4,
         u"PageSize",
         MemberKind::property_put,
         {{u"Value", VT_I4}},
         [](IDispatch* self, VARIANT* a, VARIANT*) {
             return static_cast<_Recordset*>(self)->put_PageSize(a[0].lVal);
         }},
        {5,
         u"AbsolutePage",
         MemberKind::property_get,
         {},
         [](IDispatch* self, VARIANT*, VARIANT* r) {
             r->vt = VT_I4;
             return static_cast<_Recordset*>(self)->get_AbsolutePage(&r->lVal);
         }},
        {5,
         u"AbsolutePage",
         MemberKind::property_put,
         {{u"Value", VT_I4}},
         [](IDispatch* self, VARIANT* a, VARIANT*) {
             return static_cast<_Recordset*>(self)->put_AbsolutePage(a[0].lVal);
         }},
        {6,
         u"MoveNext",
         MemberKind::method,
         {},
         [](IDispatch* self, VARIANT*, VARIANT*) {
             return static_cast<_Recordset*>(self)->MoveNext();
         }},
        {7,
         u"Close",
         MemberKind::method,
         {},
         [](IDispatch* self, VARIANT*, VARIANT*) {
             return static_cast<_Recordset*>(self)->Close();
         }},
        {8,
         u"State",
         MemberKind::property_get,
         {},
         [](IDispatch* self, VARIANT*, VARIANT* r) {
             r->vt = VT_I4;
             return static_cast<_Recordset*>(self)->get_State(&r->lVal);
         }},
    });
    return table;
}

HRESULT create_recordset(REFIID iid, void** object) {
    Ptr<RecordsetObject> r(new RecordsetObject);
    return r->QueryInterface(iid, object);
}

}  // namespace ado
