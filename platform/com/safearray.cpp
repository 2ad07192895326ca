#include "platform/com/safearray.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

namespace com {

namespace {

std::size_t element_count(const SAFEARRAY* a) {
    std::size_t n = 1;
    for (UINT d = 0; d < a->cDims; ++d) n *= a->rgsabound[d].cElements;
    return n;
}

// The position of an element in pvData, or false when an index is outside its bounds.
bool offset_of(const SAFEARRAY* a, const LONG* indices, std::size_t& offset) {
    offset = 0;
    std::size_t stride = 1;
    for (UINT d = 0; d < a->cDims; ++d) {
        const SAFEARRAYBOUND& b = a->rgsabound[d];
        std::int64_t rel = std::int64_t{indices[d]} - b.lLbound;
        if (rel < 0 || rel >= static_cast<std::int64_t>(b.cElements)) return false;
        offset += static_cast<std::size_t>(rel) * stride;
        stride *= b.cElements;
    }
    return true;
}

// Element storage of a large array is mapped straight from the system: its allocation then
// neither sorts through nor consolidates the heap's free small blocks, which a result of a
// million cells has just filled with the text of the last result.
constexpr std::size_t kMappedBytes = std::size_t{1} << 20;

void* allocate_elements(std::size_t bytes) {
    if (bytes < kMappedBytes) return std::calloc(1, bytes);  // zeroed: every VARIANT Empty
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;  // mapped pages start zeroed too
}

void free_elements(void* data, std::size_t bytes) {
    if (bytes < kMappedBytes) {
        std::free(data);
    } else if (data) {
        munmap(data, bytes);
    }
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds) {
    if ((vt != VT_VARIANT && vt != VT_UI1) || dims < 1 || dims > 2 || !bounds) return nullptr;
    auto* a = static_cast<SAFEARRAY*>(std::calloc(1, sizeof(SAFEARRAY)));
    if (!a) return nullptr;
    a->cDims = static_cast<USHORT>(dims);
    a->vt = vt;
    a->cbElements = vt == VT_VARIANT ? sizeof(VARIANT) : 1;
    for (UINT d = 0; d < dims; ++d) a->rgsabound[d] = bounds[d];
    std::size_t n = element_count(a);
    if (n > 0) {
        if (n > SIZE_MAX / a->cbElements) {  // bounds too large to address
            std::free(a);
            return nullptr;
        }
        a->pvData = allocate_elements(n * a->cbElements);
        if (!a->pvData) {
            std::free(a);
            return nullptr;
        }
    }
    return a;
}

HRESULT SafeArrayDestroy(SAFEARRAY* a) {
    if (!a) return S_OK;
    if (a->cLocks) return DISP_E_ARRAYISLOCKED;
    if (a->vt == VT_VARIANT) {
        auto* v = static_cast<VARIANT*>(a->pvData);
        for (std::size_t i = 0, n = a->pvData ? element_count(a) : 0; i < n; ++i)
            VariantClear(&v[i]);
    }
    free_elements(a->pvData, element_count(a) * a->cbElements);
    std::free(a);
    return S_OK;
}

HRESULT SafeArrayCopy(const SAFEARRAY* a, SAFEARRAY** copy) {
    if (!copy) return E_POINTER;
    *copy = nullptr;
    if (!a) return S_OK;
    SAFEARRAY* c = SafeArrayCreate(a->vt, a->cDims, a->rgsabound);
    if (!c) return E_OUTOFMEMORY;
    std::size_t n = element_count(a);
    if (a->vt == VT_VARIANT) {
        auto* from = static_cast<const VARIANT*>(a->pvData);
        auto* to = static_cast<VARIANT*>(c->pvData);
        for (std::size_t i = 0; i < n; ++i) {
            HRESULT h = VariantCopy(&to[i], &from[i]);
            if (FAILED(h)) {
                SafeArrayDestroy(c);
                return h;
            }
        }
    } else if (n > 0) {
        std::memcpy(c->pvData, a->pvData, n);
    }
    *copy = c;
    return S_OK;
}

UINT SafeArrayGetDim(const SAFEARRAY* a) {
    return a ? a->cDims : 0;
}

HRESULT SafeArrayGetLBound(const SAFEARRAY* a, UINT dim, LONG* bound) {
    if (!a || !bound) return E_INVALIDARG;
    if (dim < 1 || dim > a->cDims) return DISP_E_BADINDEX;
    *bound = a->rgsabound[dim - 1].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(const SAFEARRAY* a, UINT dim, LONG* bound) {
    if (!a || !bound) return E_INVALIDARG;
    if (dim < 1 || dim > a->cDims) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = a->rgsabound[dim - 1];
    *bound = static_cast<LONG>(b.lLbound + static_cast<std::int64_t>(b.cElements) - 1);
    return S_OK;
}

HRESULT SafeArrayPtrOfIndex(const SAFEARRAY* a, const LONG* indices, void** element) {
    if (!a || !indices || !element) return E_INVALIDARG;
    std::size_t offset;
    if (!offset_of(a, indices, offset)) return DISP_E_BADINDEX;
    *element = static_cast<char*>(a->pvData) + offset * a->cbElements;
    return S_OK;
}

HRESULT SafeArrayGetElement(const SAFEARRAY* a, const LONG* indices, void* value) {
    void* element;
    HRESULT h = SafeArrayPtrOfIndex(a, indices, &element);
    if (FAILED(h)) return h;
    if (!value) return E_INVALIDARG;
    if (a->vt != VT_VARIANT) {
        std::memcpy(value, element, a->cbElements);
        return S_OK;
    }
    auto* out = static_cast<VARIANT*>(value);
    VariantInit(out);
    return VariantCopy(out, static_cast<VARIANT*>(element));
}

HRESULT SafeArrayPutElement(SAFEARRAY* a, const LONG* indices, const void* value) {
    void* element;
    HRESULT h = SafeArrayPtrOfIndex(a, indices, &element);
    if (FAILED(h)) return h;
    if (!value) return E_INVALIDARG;
    if (a->vt != VT_VARIANT) {
        std::memcpy(element, value, a->cbElements);
        return S_OK;
    }
    return VariantCopy(static_cast<VARIANT*>(element), static_cast<const VARIANT*>(value));
}

}  // namespace com
