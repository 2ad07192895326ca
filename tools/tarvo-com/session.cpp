#include "tools/tarvo-com/session.h"

#include <algorithm>

#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "tools/common/cli.h"

namespace tarvo_com {

using namespace com;

namespace {

Outcome failure(HRESULT code, std::string description) {
    Outcome o;
    o.hresult = code;
    o.description = std::move(description);
    return o;
}

// The failure left as the thread's error information, or `fallback`.
Outcome failure_from_error_info(HRESULT code, const std::string& fallback) {
    ErrorText text;
    if (take_error(text) && !text.description.empty())
        return failure(code, to_utf8(text.description));
    return failure(code, fallback);
}

Outcome succeeded() {
    Outcome o;
    o.ok = true;
    return o;
}

// The connection's provider says the server wants a password it was not given (or refused
// the one it was given): SQLSTATE 28P01.
bool wants_password(const Outcome& o) {
    return o.description.find("error 28P01") != std::string::npos;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string dispatch_failure_text(HRESULT h, const std::string& what, UINT arg_error,
                                  std::size_t arg_count) {
    // Invoke counts arguments from the last; people count them from the first.
    std::string which = arg_error < arg_count
                            ? "argument " + std::to_string(arg_count - arg_error) + ": "
                            : std::string();
    if (h == DISP_E_TYPEMISMATCH) return what + ": " + which + "the value is of the wrong kind";
    if (h == DISP_E_OVERFLOW) return what + ": " + which + "the number is out of range";
    if (h == DISP_E_BADPARAMCOUNT) return what + ": too many arguments";
    if (h == DISP_E_PARAMNOTOPTIONAL) return what + ": an argument is missing";
    if (h == DISP_E_PARAMNOTFOUND) return what + ": " + which + "no such parameter, or given twice";
    if (h == DISP_E_MEMBERNOTFOUND) return what + ": not a method";
    return what + " failed with " + hresult_text(h);
}

}  // namespace

Outcome invoke(IDispatch* object, const std::string& what, const std::string& method,
               const std::vector<Argument>& args) {
    std::vector<std::u16string> names{to_utf16(method)};
    std::vector<const Argument*> named, positional;
    for (const Argument& a : args) {
        if (a.name) {
            names.push_back(*a.name);
            named.push_back(&a);
        } else {
            if (!named.empty())
                return failure(E_INVALIDARG, what +
                                                 ": positional arguments must come before "
                                                 "named ones");
            positional.push_back(&a);
        }
    }
    std::vector<LPOLESTR> raw;
    for (auto& n : names) raw.push_back(n.data());
    std::vector<DISPID> ids(names.size());
    HRESULT h =
        object->GetIDsOfNames(GUID_NULL, raw.data(), static_cast<UINT>(raw.size()), 0, ids.data());
    if (h == DISP_E_UNKNOWNNAME) {
        if (ids[0] == DISPID_UNKNOWN) return failure(h, what + ": no such method");
        for (std::size_t i = 1; i < ids.size(); ++i)
            if (ids[i] == DISPID_UNKNOWN)
                return failure(h, what + ": no parameter named " + to_utf8(names[i]));
    }
    if (FAILED(h)) return failure(h, what + ": the names cannot be resolved");

    // rgvarg: the named arguments first, then the positional ones from the last.
    std::vector<VARIANT> rgvarg;
    std::vector<DISPID> named_ids(ids.begin() + 1, ids.end());
    for (const Argument* a : named) rgvarg.push_back(*a->value);
    for (auto it = positional.rbegin(); it != positional.rend(); ++it)
        rgvarg.push_back(*(*it)->value);
    DISPPARAMS params{rgvarg.data(), named_ids.data(), static_cast<UINT>(rgvarg.size()),
                      static_cast<UINT>(named_ids.size())};
    EXCEPINFO ex{};
    UINT arg_error = ~0u;
    Outcome out;
    h = object->Invoke(ids[0], GUID_NULL, 0, DISPATCH_METHOD, &params, out.value.out(), &ex,
                       &arg_error);
    if (h == DISP_E_EXCEPTION) {
        Outcome f = failure(ex.scode ? ex.scode : h, bstr_utf8(ex.bstrDescription));
        if (f.description.empty()) f.description = what + " failed";
        SysFreeString(ex.bstrSource);
        SysFreeString(ex.bstrDescription);
        SysFreeString(ex.bstrHelpFile);
        return f;
    }
    if (FAILED(h)) return failure(h, dispatch_failure_text(h, what, arg_error, rgvarg.size()));
    out.ok = true;
    return out;
}

Outcome Session::open() {
    if (connection_ || !connection_string_) return succeeded();
    if (connection_failure_) return *connection_failure_;
    Ptr<IDispatch> conn;
    HRESULT h = CreateObject("ADODB.Connection", conn.out());
    if (FAILED(h))
        return *(connection_failure_ =
                     failure_from_error_info(h, "ADODB.Connection cannot be created"));
    std::vector<Argument> open = {
        Argument{std::nullopt, Variant::adopt(var_text(*connection_string_))}};
    Outcome o = invoke(conn.get(), "ADODB.Connection.Open", "Open", open);
    // The server wants a password: asked for at the terminal (never an argument), passed as
    // Open's own password argument, up to three times.
    for (int asked = 0; !o.ok && asked < 3 && wants_password(o); ++asked) {
        auto password = cli::read_secret("Database password: ");
        if (!password) break;
        open = {open[0], Argument{std::nullopt, Variant::adopt(var_text(""))},
                Argument{std::nullopt, Variant::adopt(var_text(*password))}};
        o = invoke(conn.get(), "ADODB.Connection.Open", "Open", open);
    }
    if (!o.ok) {
        connection_failure_ = o;
        return o;
    }
    connection_ = std::move(conn);
    return succeeded();
}

Outcome Session::object_for(const std::string& progid, IDispatch** object) {
    auto found = objects_.find(lower(progid));
    if (found != objects_.end()) {
        *object = found->second.get();
        return succeeded();
    }
    Outcome opened = open();
    if (!opened.ok) return opened;
    Ptr<IDispatch> created;
    HRESULT h = CreateObject(progid, created.out());
    if (FAILED(h)) return failure_from_error_info(h, progid + " cannot be created");
    if (connection_) {
        // SetConn takes the connection by reference, as Basic clients pass it.
        IDispatch* slot = connection_.get();
        Argument conn{std::nullopt, Variant()};
        VARIANT ref = var_empty();
        ref.vt = VT_BYREF | VT_DISPATCH;
        ref.ppdispVal = &slot;
        *conn.value.out() = ref;
        Outcome set = invoke(created.get(), progid + ".SetConn", "SetConn", {conn});
        conn.value.release();  // the reference is not owned
        if (!set.ok) return set;
    }
    *object = created.get();
    objects_[lower(progid)] = std::move(created);
    return succeeded();
}

Outcome Session::call(const std::string& progid, const std::string& method,
                      const std::vector<Argument>& args) {
    IDispatch* object = nullptr;
    Outcome created = object_for(progid, &object);
    if (!created.ok) return created;
    return invoke(object, progid + "." + method, method, args);
}

}  // namespace tarvo_com
