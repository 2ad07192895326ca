#include "platform/com/dispatch.h"

#include <cstring>
#include <optional>

#include "platform/com/bstr.h"
#include "platform/com/error_info.h"

namespace com {

namespace {

bool same_name(std::u16string_view a, const OLECHAR* b) {
    if (!b) return false;
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (y == 0) return false;
        if (x >= u'A' && x <= u'Z') x += 32;
        if (y >= u'A' && y <= u'Z') y += 32;
        if (x != y) return false;
    }
    return b[i] == 0;
}

bool kind_matches(MemberKind kind, WORD flags) {
    switch (kind) {
        case MemberKind::method:
            return flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        case MemberKind::property_get:
            return flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        case MemberKind::property_put:
            return flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    }
    return false;
}

bool is_missing(const VARIANT& v) {
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

// The argument values prepared for one call, released when the call is over.
class PreparedArgs {
  public:
    explicit PreparedArgs(std::size_t n) : args_(n), storage_(n) {
        for (auto& a : args_) VariantInit(&a);
        for (auto& s : storage_) VariantInit(&s);
    }
    ~PreparedArgs() {
        for (auto& a : args_)
            if (!(a.vt & VT_BYREF)) VariantClear(&a);
        for (auto& s : storage_) VariantClear(&s);
    }
    PreparedArgs(const PreparedArgs&) = delete;
    PreparedArgs& operator=(const PreparedArgs&) = delete;

    VARIANT* data() { return args_.data(); }

    // Coerces `given` (nullptr when the argument is missing) to parameter i's kind.
    HRESULT prepare(std::size_t i, const ParamDesc& p, VARIANT* given) {
        VARIANT missing;
        VariantInit(&missing);
        if (!given || is_missing(*given)) {
            if (!p.optional) return DISP_E_PARAMNOTOPTIONAL;
            if (p.type == VT_VARIANT)
                missing = var_error(DISP_E_PARAMNOTFOUND);
            else if (p.type != VT_BSTR)
                missing = var_i4(p.fallback);
            given = &missing;
        }
        if (!p.by_ref) return VariantChangeType(&args_[i], given, 0, p.type);
        // By reference: hand on the caller's own storage when it is of the declared kind;
        // otherwise a converted copy (by-reference parameters here are only read).
        if (given->vt == (VT_BYREF | p.type)) {
            args_[i] = *given;
            return S_OK;
        }
        if (p.type == VT_VARIANT) {
            HRESULT h = VariantCopyInd(&storage_[i], given);
            if (FAILED(h)) return h;
        } else {
            HRESULT h = VariantChangeType(&storage_[i], given, 0, p.type);
            if (FAILED(h)) return h;
        }
        args_[i].vt = VT_BYREF | p.type;
        args_[i].byref = p.type == VT_VARIANT ? static_cast<void*>(&storage_[i])
                                              : static_cast<void*>(&storage_[i].llVal);
        return S_OK;
    }

  private:
    std::vector<VARIANT> args_;
    std::vector<VARIANT> storage_;
};

void fill_excepinfo(EXCEPINFO* ex, HRESULT code) {
    std::memset(ex, 0, sizeof *ex);
    ex->scode = code;
    ErrorText text;
    if (take_error(text)) {
        ex->bstrSource = make_bstr(std::u16string_view(text.source));
        ex->bstrDescription = make_bstr(std::u16string_view(text.description));
    }
}

}  // namespace

const MemberDesc* DispatchTable::find(DISPID id, WORD flags) const {
    for (const auto& m : members_)
        if (m.id == id && kind_matches(m.kind, flags)) return &m;
    return nullptr;
}

HRESULT DispatchTable::ids_of_names(LPOLESTR* names, UINT count, DISPID* ids) const {
    if (!names || !ids) return E_POINTER;
    if (count == 0) return S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    HRESULT result = S_OK;
    for (const auto& m : members_) {
        if (!same_name(m.name, names[0])) continue;
        ids[0] = m.id;
        break;
    }
    if (ids[0] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < count; ++i) {
        for (const auto& m : members_) {
            if (m.id != ids[0]) continue;
            for (std::size_t p = 0; p < m.params.size() && ids[i] == DISPID_UNKNOWN; ++p)
                if (same_name(m.params[p].name, names[i])) ids[i] = static_cast<DISPID>(p);
        }
        if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT DispatchTable::invoke(IDispatch* self, DISPID id, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* excepinfo, UINT* arg_error) const {
    const MemberDesc* m = find(id, flags);
    if (!m) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    if (params->cNamedArgs > params->cArgs) return E_INVALIDARG;
    std::size_t n = m->params.size();
    if (params->cArgs > n) return DISP_E_BADPARAMCOUNT;

    // Which argument (index into rgvarg) feeds each parameter.
    std::vector<std::optional<UINT>> source(n);
    UINT positional = params->cArgs - params->cNamedArgs;
    for (UINT p = 0; p < positional; ++p) source[p] = params->cArgs - 1 - p;
    for (UINT k = 0; k < params->cNamedArgs; ++k) {
        DISPID named = params->rgdispidNamedArgs[k];
        if (named == DISPID_PROPERTYPUT && m->kind == MemberKind::property_put) named = n - 1;
        if (named < 0 || static_cast<std::size_t>(named) >= n || source[named]) {
            if (arg_error) *arg_error = k;
            return DISP_E_PARAMNOTFOUND;
        }
        source[named] = k;
    }

    PreparedArgs args(n);
    for (std::size_t p = 0; p < n; ++p) {
        VARIANT* given = source[p] ? &params->rgvarg[*source[p]] : nullptr;
        HRESULT h = args.prepare(p, m->params[p], given);
        if (FAILED(h)) {
            if (arg_error && source[p]) *arg_error = *source[p];
            const bool own_code =
                h == DISP_E_OVERFLOW || h == DISP_E_PARAMNOTOPTIONAL || h == E_OUTOFMEMORY;
            return own_code ? h : DISP_E_TYPEMISMATCH;
        }
    }

    VARIANT local;
    VariantInit(&local);
    VARIANT* out = result ? result : &local;
    if (result) VariantInit(result);
    HRESULT h = m->call(self, args.data(), out);
    VariantClear(&local);
    if (FAILED(h)) {
        if (result) VariantClear(result);
        if (!excepinfo) return h;
        fill_excepinfo(excepinfo, h);
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}

}  // namespace com
