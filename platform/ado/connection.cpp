#include <algorithm>

#include "platform/ado/connection_string.h"
#include "platform/ado/objects.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/db/dialect.h"

namespace ado {

using namespace com;

namespace {

constexpr char source[] = "ADODB.Connection";

std::string describe(const db::Error& e, const std::string& who) {
    if (!e.sqlstate().empty()) return who + " error " + e.sqlstate() + ": " + e.what();
    if (e.code() == -1) return who + ": " + e.what();
    return who + " error " + std::to_string(e.code()) + ": " + e.what();
}

// A query gives rows; other statements are run for their effect.
bool returns_rows(std::u16string_view sql) {
    std::size_t i = 0;
    while (i < sql.size() && (sql[i] == u' ' || sql[i] == u'\t' || sql[i] == u'\r' ||
                              sql[i] == u'\n' || sql[i] == u'('))
        ++i;
    auto word = to_utf8(sql.substr(i, 6));
    std::transform(word.begin(), word.end(), word.begin(), ::tolower);
    return word == "select" || word.starts_with("with ") || word.starts_with("with\t");
}

}  // namespace

com::ModuleState& module_state() {
    static com::ModuleState state;
    return state;
}

HRESULT fail(HRESULT code, const char* src, const std::string& description) {
    return report_error(code, GUID_NULL, std::string_view(src), description);
}

HRESULT ConnectionObject::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_ConnectionObject) {
        AddRef();
        *object = this;
        return S_OK;
    }
    return query_as<_Connection>(this, iid, object, {IID_IUnknown, IID_IDispatch, IID__Connection});
}

ConnectionObject::~ConnectionObject() {
    if (db_) Close();
}

HRESULT ConnectionObject::Open(BSTR text, BSTR user, BSTR password, LONG) {
    if (db_) return fail(E_ADO_ALREADY_OPEN, source, "the connection is already open");
    return guarded(source, [&] {
        std::string url = database_url(bstr_utf8(text), bstr_utf8(user), bstr_utf8(password));
        // Named for the message before there is a connection to ask.
        const std::string who = url.starts_with("sqlite:") ? "SQLite" : "PostgreSQL";
        try {
            // A mistyped path creates nothing. The password argument travels apart from the
            // URL, so it shows nowhere the URL is shown.
            db_ = db::connect(db::existing_only(url), bstr_utf8(password));
        } catch (const db::Error& e) {
            return fail(E_ADO_CONNECT, source, describe(e, who));
        }
        connection_string_ = bstr_utf8(text);
        return S_OK;
    });
}

HRESULT ConnectionObject::Execute(BSTR command, VARIANT* affected, LONG, _Recordset** result) {
    if (result) *result = nullptr;
    if (!db_) return fail(E_ADO_CLOSED, source, "the connection is not open");
    if (returns_rows(bstr_view(command))) {
        Ptr<RecordsetObject> rs(new RecordsetObject);
        HRESULT h = rs->open_on(this, bstr_utf8(command));
        if (FAILED(h)) return h;
        if (affected) VariantClear(affected), *affected = var_i4(-1);
        if (result) *result = rs.detach();
        return S_OK;
    }
    return guarded(source, [&] {
        std::int64_t n;
        try {
            n = db_->execute(bstr_utf8(command));
        } catch (const db::Error& e) {
            return fail(E_ADO_DATABASE, source, describe(e, db_->dialect().name()));
        }
        if (affected) VariantClear(affected), *affected = var_i4(static_cast<LONG>(n));
        if (result) *result = new RecordsetObject;  // closed: the statement gives no rows
        return S_OK;
    });
}

HRESULT ConnectionObject::Close() {
    if (!db_) return fail(E_ADO_CLOSED, source, "the connection is not open");
    for (RecordsetObject* rs : std::vector(recordsets_)) rs->connection_closing();
    recordsets_.clear();
    db_.reset();
    return S_OK;
}

void ConnectionObject::detach(RecordsetObject* rs) {
    std::erase(recordsets_, rs);
}

HRESULT ConnectionObject::get_State(LONG* state) {
    if (!state) return E_POINTER;
    *state = db_ ? adStateOpen : adStateClosed;
    return S_OK;
}

HRESULT ConnectionObject::get_ConnectionString(BSTR* text) {
    if (!text) return E_POINTER;
    *text = make_bstr(connection_string_);
    return S_OK;
}

HRESULT describe_failure(const db::Error& e, const db::Connection& conn, const char* src) {
    return fail(E_ADO_DATABASE, src, describe(e, conn.dialect().name()));
}

const DispatchTable& ConnectionObject::dispatch_table() const {
    static const DispatchTable table({
        {1,
         u"Open",
         MemberKind::method,
         {{u"ConnectionString", VT_BSTR, false, true},
          {u"UserID", VT_BSTR, false, true},
          {u"Password", VT_BSTR, false, true},
          {u"Options", VT_I4, false, true, adOptionUnspecified}},
         [](IDispatch* self, VARIANT* a, VARIANT*) {
             return static_cast<_Connection*>(self)->Open(a[0].bstrVal, a[1].bstrVal, a[2].bstrVal,
                                                          a[3].lVal);
         }},
        {2,
         u"Execute",
         MemberKind::method,
         {{u"CommandText", VT_BSTR},
          {u"RecordsAffected", VT_VARIANT, true, true},
          {u"Options", VT_I4, false, true, adOptionUnspecified}},
         [](IDispatch* self, VARIANT* a, VARIANT* r) {
             _Recordset* rs = nullptr;
             HRESULT h = static_cast<_Connection*>(self)->Execute(a[0].bstrVal, a[1].pvarVal,
                                                                  a[2].lVal, &rs);
             if (SUCCEEDED(h)) r->vt = VT_DISPATCH, r->pdispVal = rs;
             return h;
         }},
        {3,
         u"Close",
         MemberKind::method,
         {},
         [](IDispatch* self, VARIANT*, VARIANT*) {
             return static_cast<_Connection*>(self)->Close();
         }},
        {4,
         u"State",
         MemberKind::property_get,
         {},
         [](IDispatch* self, VARIANT*, VARIANT* r) {
             r->vt = VT_I4;
             return static_cast<_Connection*>(self)->get_State(&r->lVal);
         }},
        {5,
         u"ConnectionString",
         MemberKind::property_get,
         {},
         [](IDispatch* self, VARIANT*, VARIANT* r) {
             r->vt = VT_BSTR;
             return static_cast<_Connection*>(self)->get_ConnectionString(&r->bstrVal);
         }},
    });
    return table;
}

HRESULT create_connection(REFIID iid, void** object) {
    Ptr<ConnectionObject> c(new ConnectionObject);
    return c->QueryInterface(iid, object);
}

}  // namespace ado
