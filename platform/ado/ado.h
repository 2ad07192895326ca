// The data-access objects that automation clients and the data component use: Connection,
// Recordset with a static cursor, Fields and Field, their identifiers and error codes.
// Objects are created through the registry (`ADODB.Connection`, `ADODB.Recordset`).
#pragma once

#include "platform/com/interfaces.h"

namespace ado {

using com::BSTR;
using com::HRESULT;
using com::LONG;
using com::VARIANT;
using com::VARIANT_BOOL;

constexpr com::GUID LIBID_ADODB{"00000206-0000-0010-8000-00AA006D2EA4"};
constexpr com::IID IID__Connection{"00000550-0000-0010-8000-00AA006D2EA4"};
constexpr com::IID IID__Recordset{"03300E19-1880-402F-93BD-1D7CC2EA1FC5"};
constexpr com::IID IID_Fields{"D9FB64DD-D740-4C8C-98AE-01E2C1812D03"};
constexpr com::IID IID_Field{"9C32B4E6-C244-4136-B5A7-48EF2D987F8D"};
constexpr com::CLSID CLSID_Connection{"A378E176-0CE4-416C-AA97-C3E3CD30B918"};
constexpr com::CLSID CLSID_Recordset{"9AA7B797-BC0B-4D6E-946D-16F524E9EE39"};

constexpr LONG adOpenForwardOnly = 0;
constexpr LONG adOpenStatic = 3;
constexpr LONG adLockUnspecified = -1;
constexpr LONG adLockReadOnly = 1;
constexpr LONG adOptionUnspecified = -1;
constexpr LONG adCmdText = 1;
constexpr LONG adStateClosed = 0;
constexpr LONG adStateOpen = 1;
constexpr LONG adPosEOF = -3;

// Failures of the data-access objects; the description says what happened. Misuse of the
// objects carries the usual ADO error numbers in the control facility (0x800A0000 + number);
// E_ADO_DATABASE's description starts with the database's own code ("SQLite error 19: ...",
// "PostgreSQL error 42P01: ...").
constexpr HRESULT E_ADO_CONNECT = com::hr(0x8004A001);            // the database cannot be opened
constexpr HRESULT E_ADO_CONNECTION_STRING = com::hr(0x8004A002);  // malformed connection string
constexpr HRESULT E_ADO_DATABASE = com::hr(0x8004A003);  // the database rejected a statement
constexpr HRESULT E_ADO_ARGUMENT = com::hr(0x800A0BB9);  // 3001: argument wrong or out of range
constexpr HRESULT E_ADO_NO_CURRENT_ROW = com::hr(0x800A0BCD);  // 3021: at EOF, no current row
constexpr HRESULT E_ADO_CLOSED = com::hr(0x800A0E78);          // 3704: the object is not open
constexpr HRESULT E_ADO_ALREADY_OPEN = com::hr(0x800A0E79);    // 3705: Open on an open object

struct Field : com::IDispatch {
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_Value(VARIANT* value) = 0;
};

struct Fields : com::IDispatch {
    virtual HRESULT get_Count(LONG* count) = 0;
    // `index`: a position from 0, or a column name.
    virtual HRESULT get_Item(VARIANT index, Field** field) = 0;
};

struct _Recordset : com::IDispatch {
    virtual HRESULT Open(VARIANT Source, VARIANT ActiveConnection, LONG CursorType, LONG LockType,
                         LONG Options) = 0;
    virtual HRESULT get_EOF(VARIANT_BOOL* eof) = 0;
    virtual HRESULT get_RecordCount(LONG* count) = 0;
    virtual HRESULT get_PageSize(LONG* size) = 0;
    virtual HRESULT put_PageSize(LONG size) = 0;
    virtual HRESULT get_AbsolutePage(LONG* page) = 0;
    virtual HRESULT put_AbsolutePage(LONG page) = 0;
    virtual HRESULT get_Fields(Fields** fields) = 0;
    virtual HRESULT MoveNext() = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT get_State(LONG* state) = 0;
    // Up to `Rows` rows from the current one on, written straight into rows `FirstRow`,
    // `FirstRow` + 1, ... of `Target`, a two-dimensional array of VARIANT the caller owns
    // (first index the row, second the field; at least as many fields as the recordset has):
    // each value converted once into its cell, with no call per value. `Read` gets the
    // number of rows written, fewer at the end of the rows; the recordset then stands after
    // them. A failure part-way leaves the rows written so far in `Target`. Not part of the
    // automation interface.
    virtual HRESULT GetRowsInto(com::SAFEARRAY* Target, LONG FirstRow, LONG Rows, LONG* Read) = 0;
};

struct _Connection : com::IDispatch {
    virtual HRESULT Open(BSTR ConnectionString, BSTR UserID, BSTR Password, LONG Options) = 0;
    // `RecordsAffected` may be null. The result is an open static recordset for a query
    // and a closed one for any other statement.
    virtual HRESULT Execute(BSTR CommandText, VARIANT* RecordsAffected, LONG Options,
                            _Recordset** result) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT get_State(LONG* state) = 0;
    virtual HRESULT get_ConnectionString(BSTR* text) = 0;
};

}  // namespace ado
