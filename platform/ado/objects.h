// The classes behind the data-access interfaces of ado.h.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ado/ado.h"
#include "platform/ado/connection_string.h"
#include "platform/com/guard.h"
#include "platform/com/object.h"
#include "platform/db/connection.h"
#include "platform/db/row_source.h"

namespace ado {

com::ModuleState& module_state();

// Leaves error information from `source` and returns `code`.
HRESULT fail(HRESULT code, const char* source, const std::string& description);
// Runs `body` (returning HRESULT) at the automation boundary (com::guard): a connection
// string that cannot be read fails with its own code, any other exception as com::guard
// says. A template: field access runs it once per value read.
template <class Body>
HRESULT guarded(const char* source, Body&& body) {
    return com::guard(
        [&]() -> HRESULT {
            try {
                return body();
            } catch (const ConnectionStringError& e) {
                return fail(E_ADO_CONNECTION_STRING, source, e.what());
            }
        },
        [&](HRESULT code, std::string_view text) { return fail(code, source, std::string(text)); });
}

// A database failure with the database's code and message (E_ADO_DATABASE).
HRESULT describe_failure(const db::Error& e, const db::Connection& conn, const char* source);

// A database value as a variant: NULL -> Null, integers -> I4 (I8 beyond 32 bits), reals ->
// R8, text -> BSTR, bytes -> array of bytes, date-times -> DATE. Converted straight from the
// cursor's row: one conversion per value.
VARIANT to_variant(const db::ValueView& value);

class RecordsetObject;

// Only objects of this module answer this interface identifier, with themselves.
constexpr com::IID IID_ConnectionObject{"961AEBB4-88F8-4A69-B68F-8C3835693A7D"};

class ConnectionObject final : public com::DispatchObject<_Connection> {
  public:
    ConnectionObject() : DispatchObject(module_state()) {}

    HRESULT QueryInterface(com::REFIID iid, void** object) override;
    HRESULT Open(BSTR ConnectionString, BSTR UserID, BSTR Password, LONG Options) override;
    HRESULT Execute(BSTR CommandText, VARIANT* RecordsAffected, LONG Options,
                    _Recordset** result) override;
    HRESULT Close() override;
    HRESULT get_State(LONG* state) override;
    HRESULT get_ConnectionString(BSTR* text) override;

    // The open database, or nullptr.
    db::Connection* database() const { return db_.get(); }
    // Open recordsets are closed with the connection, before their database goes away.
    void attach(RecordsetObject* rs) { recordsets_.push_back(rs); }
    void detach(RecordsetObject* rs);

  protected:
    const com::DispatchTable& dispatch_table() const override;

  private:
    ~ConnectionObject() override;

    std::unique_ptr<db::Connection> db_;
    std::string connection_string_;
    std::vector<RecordsetObject*> recordsets_;
};

class RecordsetObject final : public com::DispatchObject<_Recordset> {
  public:
    RecordsetObject() : DispatchObject(module_state()) {}

    HRESULT QueryInterface(com::REFIID iid, void** object) override;
    HRESULT Open(VARIANT Source, VARIANT ActiveConnection, LONG CursorType, LONG LockType,
                 LONG Options) override;
    HRESULT get_EOF(VARIANT_BOOL* eof) override;
    HRESULT get_RecordCount(LONG* count) override;
    HRESULT get_PageSize(LONG* size) override;
    HRESULT put_PageSize(LONG size) override;
    HRESULT get_AbsolutePage(LONG* page) override;
    HRESULT put_AbsolutePage(LONG page) override;
    HRESULT get_Fields(Fields** fields) override;
    HRESULT MoveNext() override;
    HRESULT Close() override;
    HRESULT get_State(LONG* state) override;
    HRESULT GetRowsInto(com::SAFEARRAY* target, LONG first_row, LONG rows, LONG* read) override;

    // Opens the statement on a connection of this module (Execute uses it directly).
    HRESULT open_on(ConnectionObject* conn, const std::string& sql,
                    db::Reading reading = db::Reading::counted);
    // Called by the connection when it closes first.
    void connection_closing() { rows_.reset(), current_ = nullptr, conn_.reset(); }

    // For Fields and Field: the columns and the current row's values.
    HRESULT column_count(LONG* count);
    HRESULT column_name(LONG index, BSTR* name);
    HRESULT column_value(LONG index, VARIANT* value);
    // The position of a named column, or -1.
    LONG column_index(std::u16string_view name);

  protected:
    const com::DispatchTable& dispatch_table() const override;

  private:
    ~RecordsetObject() override;
    HRESULT require_open(const char* what) { return rows_ ? com::S_OK : closed(what); }
    HRESULT closed(const char* what);
    // The current row, read when needed; nullptr at EOF.
    HRESULT current_row(const db::Cursor*& row);

    com::Ptr<ConnectionObject> conn_;
    std::unique_ptr<db::RowSource> rows_;
    std::int64_t position_ = 0;  // 0-based; at or past the last row means EOF
    LONG page_size_ = 10;
    LONG column_count_ = 0;
    const db::Cursor* current_ = nullptr;  // the row found at current_position_
    std::int64_t current_position_ = -1;
};

HRESULT create_connection(com::REFIID iid, void** object);
HRESULT create_recordset(com::REFIID iid, void** object);

}  // namespace ado
