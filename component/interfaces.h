// The dual interfaces of the data component's three classes, in slot order after the seven
// IUnknown/IDispatch slots, with their identifiers. Clients include this header to call the
// typed interfaces; dispatch clients use the same members by name.
#pragma once

#include "platform/ado/ado.h"
#include "platform/com/interfaces.h"
#include "platform/com/safearray.h"

namespace tarvo {

using com::BSTR;
using com::HRESULT;
using com::SAFEARRAY;
using com::SHORT;
using com::VARIANT;
using com::VARIANT_BOOL;

constexpr com::GUID LIBID_Tarvo{"FE284729-8E08-44DB-B8C0-37D4F6CD4CE9"};
constexpr com::CLSID CLSID_Department{"F704D456-66A3-473F-8DC6-90791014A852"};
constexpr com::IID IID__Department{"15088AA2-A8B5-4DBD-8912-7D302CA7B454"};
constexpr com::CLSID CLSID_Person{"E9603B53-5BA5-41BF-B798-5DEFAF96A398"};
constexpr com::IID IID__Person{"D97537E4-0386-4FD4-B439-8D787246DEAF"};
constexpr com::CLSID CLSID_Message{"4E06EC2D-D131-4B6C-9C8D-6DAB87505BFD"};
constexpr com::IID IID__Message{"67A1877D-AA37-4CAE-9EF2-25DC70FABB2B"};

// The DISPID of the method in slot n (1 = SetConn).
constexpr com::DISPID dispid_of_slot(int slot) {
    return 0x60030000 + slot - 1;
}

// The component's own failure codes (data-access failures keep the codes of that layer).
constexpr HRESULT TARVO_E_NO_CONNECTION = com::hr(0x8004B001);  // no SetConn with a connection
constexpr HRESULT TARVO_E_CONVERSION = com::hr(0x8004B002);     // a value of the wrong kind
constexpr HRESULT TARVO_E_OVERFLOW = com::hr(0x8004B003);       // a number out of range
constexpr HRESULT TARVO_E_INDEX = com::hr(0x8004B004);  // a result row or column out of range

struct _Department : com::IDispatch {
    virtual HRESULT SetConn(ado::_Connection** pConn) = 0;
    virtual HRESULT GetError(BSTR* result) = 0;
    virtual HRESULT AddData(VARIANT DeptName, VARIANT DeptOrder, VARIANT DeptParentID,
                            VARIANT DeptMemo, VARIANT_BOOL* result) = 0;
    virtual HRESULT DelData(VARIANT* ID, VARIANT_BOOL* result) = 0;
    virtual HRESULT UpdateData(VARIANT ID, VARIANT DeptName, VARIANT DeptOrder,
                               VARIANT DeptParentID, VARIANT DeptMomo, VARIANT_BOOL* result) = 0;
    virtual HRESULT GetAllData(SHORT ParentID, SAFEARRAY** result) = 0;
    virtual HRESULT GetPageData(VARIANT nPageSize, VARIANT nPage, SAFEARRAY** result) = 0;
    virtual HRESULT GetData(SHORT ID, SAFEARRAY** result) = 0;
};

struct _Person : com::IDispatch {
    virtual HRESULT SetConn(ado::_Connection** pConn) = 0;
    virtual HRESULT GetError(BSTR* result) = 0;
    virtual HRESULT AddData(VARIANT DeptID, VARIANT PersonName, VARIANT PersonSex,
                            VARIANT PersonBirthday, VARIANT PersonDuty, VARIANT PersonAddr,
                            VARIANT PersonPhone, VARIANT PersonEmail, VARIANT PersonWeb,
                            VARIANT PersonPhoto, VARIANT PersonMomo, VARIANT PersonType,
                            VARIANT PersonAccount, VARIANT PersonPwd, VARIANT_BOOL* result) = 0;
    virtual HRESULT DelData(VARIANT* ID, VARIANT_BOOL* result) = 0;
    virtual HRESULT UpdateData(VARIANT ID, VARIANT DeptID, VARIANT PersonName, VARIANT PersonSex,
                               VARIANT PersonBirthday, VARIANT PersonDuty, VARIANT PersonAddr,
                               VARIANT PersonPhone, VARIANT PersonEmail, VARIANT PersonWeb,
                               VARIANT PersonPhoto, VARIANT PersonMomo, VARIANT PersonType,
                               VARIANT PersonAccount, VARIANT PersonPwd, VARIANT_BOOL* result) = 0;
    virtual HRESULT GetAllData(SAFEARRAY** result) = 0;
    virtual HRESULT GetPageData(VARIANT nPageSize, VARIANT nPage, SAFEARRAY** result) = 0;
    virtual HRESULT GetData(SHORT ID, SAFEARRAY** result) = 0;
    virtual HRESULT GetDeptData(VARIANT* DeptID, SAFEARRAY** result) = 0;
};

struct _Message : com::IDispatch {
    virtual HRESULT SetConn(ado::_Connection** pConn) = 0;
    virtual HRESULT GetError(BSTR* result) = 0;
    virtual HRESULT AddData(VARIANT PersonID, VARIANT MsgContent, VARIANT MsgFromPersonID,
                            VARIANT MsgTitle, VARIANT_BOOL* result) = 0;
    virtual HRESULT DelData(VARIANT* ID, VARIANT_BOOL* result) = 0;
    virtual HRESULT UpdateData(VARIANT ID, VARIANT DeptName, VARIANT DeptOrder,
                               VARIANT DeptParentID, VARIANT DeptMomo, VARIANT_BOOL* result) = 0;
    virtual HRESULT GetAllData(SAFEARRAY** result) = 0;
    virtual HRESULT GetPageData(VARIANT nPageSize, VARIANT nPage, SAFEARRAY** result) = 0;
    virtual HRESULT GetData(SHORT ID, SAFEARRAY** result) = 0;
};

}  // namespace tarvo
