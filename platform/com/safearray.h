// SAFEARRAY: an array of one or two dimensions with its bounds, of VARIANT or of bytes.
// A null SAFEARRAY pointer is the empty array (no dimensions, no elements).
#pragma once

#include "platform/com/types.h"
#include "platform/com/variant.h"

namespace com {

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    VARTYPE vt;                   // element kind: VT_VARIANT or VT_UI1
    void* pvData;                 // elements, the first index varying fastest
    SAFEARRAYBOUND rgsabound[2];  // in dimension order: rgsabound[0] is dimension 1
};

// Creates an array of `dims` (1 or 2) dimensions of VT_VARIANT (every element Empty) or
// VT_UI1 (zeros); nullptr for another element kind or dimension count.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds);
// Frees the array and everything its elements own. A null array is accepted.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
HRESULT SafeArrayCopy(const SAFEARRAY* array, SAFEARRAY** copy);
UINT SafeArrayGetDim(const SAFEARRAY* array);
// `dim` counts from 1. DISP_E_BADINDEX for a dimension the array does not have.
HRESULT SafeArrayGetLBound(const SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(const SAFEARRAY* array, UINT dim, LONG* bound);
// `indices` holds one index per dimension, dimension 1 first. Elements are copied in and
// out (a VARIANT element is deep-copied). DISP_E_BADINDEX outside the bounds.
HRESULT SafeArrayGetElement(const SAFEARRAY* array, const LONG* indices, void* value);
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, const void* value);
HRESULT SafeArrayPtrOfIndex(const SAFEARRAY* array, const LONG* indices, void** element);

}  // namespace com
