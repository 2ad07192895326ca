// Dispatch invokers of the members every class has: they unpack the prepared arguments and
// call the typed method of interface I.
#pragma once

#include "component/class_object.h"
#include "platform/com/error_info.h"

namespace tarvo {

// SetConn receives IDispatch* by reference; the typed method wants the connection interface.
template <class I>
HRESULT invoke_set_conn(com::IDispatch* self, VARIANT* a, VARIANT*) {
    com::IDispatch* given = *a[0].ppdispVal;
    if (!given) return static_cast<I*>(self)->SetConn(nullptr);
    com::Ptr<ado::_Connection> conn;
    if (com::FAILED(given->QueryInterface(ado::IID__Connection, conn.out_void())))
        return report(
            Failure{TARVO_E_CONVERSION, u"Parameter pConn: the object is not an ADODB.Connection"},
            "Tarvo", com::GUID_NULL);
    ado::_Connection* raw = conn.get();
    return static_cast<I*>(self)->SetConn(&raw);
}

template <class I>
HRESULT invoke_get_error(com::IDispatch* self, VARIANT*, VARIANT* r) {
    r->vt = com::VT_BSTR;
    return static_cast<I*>(self)->GetError(&r->bstrVal);
}

template <class I>
HRESULT invoke_del_data(com::IDispatch* self, VARIANT* a, VARIANT* r) {
    r->vt = com::VT_BOOL;
    return static_cast<I*>(self)->DelData(a[0].pvarVal, &r->boolVal);
}

template <class I>
HRESULT invoke_get_page_data(com::IDispatch* self, VARIANT* a, VARIANT* r) {
    r->vt = com::VT_ARRAY | com::VT_VARIANT;
    return static_cast<I*>(self)->GetPageData(a[0], a[1], &r->parray);
}

template <class I>
HRESULT invoke_get_data(com::IDispatch* self, VARIANT* a, VARIANT* r) {
    r->vt = com::VT_ARRAY | com::VT_VARIANT;
    return static_cast<I*>(self)->GetData(a[0].iVal, &r->parray);
}

template <class I>
HRESULT invoke_update5(com::IDispatch* self, VARIANT* a, VARIANT* r) {
    r->vt = com::VT_BOOL;
    return static_cast<I*>(self)->UpdateData(a[0], a[1], a[2], a[3], a[4], &r->boolVal);
}

template <class I>
HRESULT invoke_add4(com::IDispatch* self, VARIANT* a, VARIANT* r) {
    r->vt = com::VT_BOOL;
    return static_cast<I*>(self)->AddData(a[0], a[1], a[2], a[3], &r->boolVal);
}

}  // namespace tarvo
