// Invoke arguments of the three classes: any count and type of arguments, to any member.
// A call that fails, or a write that answers False, leaves every table as it was; a failure
// with an exception describes itself in valid UTF-8; reads never change data.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/variant.h"
#include "platform/db/connection.h"
#include "platform/text/utf8.h"
#include "schema/schema.h"
#include "tests/fuzz/fuzz.h"

using namespace com;

namespace {

namespace fs = std::filesystem;

struct World {
    fs::path dir = fs::temp_directory_path() / ("tarvo-fuzz-invoke-" + std::to_string(::getpid()));
    std::unique_ptr<db::Connection> db;
    Ptr<IDispatch> conn;
    Ptr<IDispatch> objects[3];

    World() {
        fs::create_directories(dir);
        const std::string registry = (dir / "registry").string();
        ::setenv("TARVO_REGISTRY", registry.c_str(), 1);
        fuzz::check(register_server(TARVO_ADO_MODULE) == S_OK, "the ADO server registers");
        fuzz::check(register_server(TARVO_COMPONENT_MODULE) == S_OK, "the component registers");
        const std::string file = (dir / "hr.db").string();
        db = db::connect("sqlite:" + file);
        schema::create(*db);
        fuzz::check(CreateObject("ADODB.Connection", conn.out()) == S_OK, "a connection");
        Variant cs = Variant::adopt(var_text("Provider=SQLite;Data Source=" + file));
        fuzz::check(invoke(conn.get(), u"Open", {*cs}) == S_OK, "the connection opens");
        const char* progids[] = {"Tarvo.Department", "Tarvo.Person", "Tarvo.Message"};
        for (int i = 0; i < 3; ++i) {
            fuzz::check(CreateObject(progids[i], objects[i].out()) == S_OK, progids[i]);
            IDispatch* slot = conn.get();
            VARIANT ref = var_empty();
            ref.vt = VT_BYREF | VT_DISPATCH;
            ref.ppdispVal = &slot;
            fuzz::check(invoke(objects[i].get(), u"SetConn", {ref}) == S_OK, "SetConn");
        }
    }
    ~World() {
        for (auto& o : objects) o = Ptr<IDispatch>();
        conn = Ptr<IDispatch>();
        db.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    static HRESULT invoke(IDispatch* d, std::u16string name, std::vector<VARIANT> args) {
        LPOLESTR raw = name.data();
        DISPID id = 0;
        if (HRESULT h = d->GetIDsOfNames(GUID_NULL, &raw, 1, 0, &id); FAILED(h)) return h;
        DISPPARAMS p{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        Variant result;
        return d->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &p, result.out(), nullptr, nullptr);
    }

    // Every row of the three tables as text, to see whether a call changed anything.
    std::string contents() {
        std::string s;
        for (const char* t : {"HR_Dept", "HR_Person", "DATA_Msg"}) {
            auto r = db->query_all(std::string("SELECT * FROM ") + t);
            for (auto& row : r.rows) {
                for (auto& v : row) s += (v.is_null() ? "<null>" : v.to_string()) + "\x1f";
                s += "\x1e";
            }
        }
        return s;
    }
};

World& world() {
    static World w;
    return w;
}

// Reads bytes of the input in turn; zeros once it is used up.
struct Reader {
    std::string_view in;
    std::uint8_t byte() {
        if (in.empty()) return 0;
        auto b = static_cast<std::uint8_t>(in[0]);
        in.remove_prefix(1);
        return b;
    }
    std::string_view take(std::size_t n) {
        n = std::min(n, in.size());
        auto s = in.substr(0, n);
        in.remove_prefix(n);
        return s;
    }
};

// One argument chosen by the input. `keep` holds what a by-reference argument points at.
VARIANT argument(Reader& r, std::vector<Variant>& keep, LONG& number) {
    switch (r.byte() % 13) {
        case 0:
            return var_empty();
        case 1:
            return var_null();
        case 2:
            return var_i2(static_cast<SHORT>(r.byte() << 8 | r.byte()));
        case 3:
            return var_i4(static_cast<LONG>(r.byte()) - 100);
        case 4:
            return var_r8((static_cast<int>(r.byte()) - 128) * 1.25e3);
        case 5:
            return var_bool(r.byte() & 1);
        case 6:
            return var_date(r.byte() * 400.0 - 2000.0);
        case 7:
            return var_error(static_cast<SCODE>(0x80020004));
        case 8: {  // a reference to a number
            number = r.byte();
            VARIANT v = var_empty();
            v.vt = VT_BYREF | VT_I4;
            v.plVal = &number;
            return v;
        }
        case 9: {  // a reference to a variant holding text
            keep.push_back(Variant::adopt(var_text(r.take(r.byte() % 16))));
            return var_ref(keep.back().get());
        }
        case 10:
            return var_dispatch(nullptr);
        case 11: {  // a type no member takes
            VARIANT v = var_empty();
            v.vt = static_cast<VARTYPE>(VT_ARRAY | VT_I4);
            v.parray = nullptr;
            return v;
        }
        default:
            return var_text(r.take(r.byte() % 40));  // text, perhaps not UTF-8
    }
}

// GetError and the four reads.
bool is_read(std::size_t member) {
    return member == 0 || member >= 4;
}

}  // namespace

std::vector<std::string> fuzz::seeds() {
    return {std::string("\x00\x03\x04\x0c\x05Sales\x03\x10\x01\x0c\x02mm", 17),
            std::string("\x01\x03\x0e\x0c\x06\xe5\xbc\xa0\xe4\xb8\x89", 11),
            std::string("\x00\x07\x02\x03\x0a\x03\x01", 7),
            std::string("\x02\x05\x05\x03\x01\x0c\x03"
                        "abc\x0c\x01x",
                        13),
            std::string("\x00\x05\x05\x03\x01\x0c\x04\\'--\x03\x05\x01\x0c\x01m", 16)};
}

std::vector<std::string> fuzz::tokens() {
    return {"\x0c\x05",
            "\x03\x01",
            "\x01",
            "\x0b",
            "\x08\x07",
            "\x09\x04"
            "abcd"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& w = world();
    Reader r{fuzz::as_text(data, size)};
    const int cls = r.byte() % 3;
    IDispatch* object = w.objects[cls].get();
    // Every member but SetConn by name (the DISPIDs are the type library's), and one that
    // no class has.
    static const char16_t* names[] = {u"GetError",   u"AddData",     u"DelData",
                                      u"UpdateData", u"GetAllData",  u"GetPageData",
                                      u"GetData",    u"GetDeptData", u"NoSuchMember"};
    const std::size_t member = r.byte() % std::size(names);
    std::u16string name = names[member];
    LPOLESTR raw = name.data();
    DISPID id = 0;
    if (FAILED(object->GetIDsOfNames(GUID_NULL, &raw, 1, 0, &id))) id = 999;
    const WORD flags = (r.byte() % 8 == 0) ? DISPATCH_PROPERTYGET : DISPATCH_METHOD;
    std::vector<VARIANT> args;
    std::vector<Variant> keep;
    keep.reserve(16);  // by-reference arguments point into it: it must not move
    std::vector<LONG> numbers(16);
    // Mostly the count the member takes (so calls reach the statements), sometimes any.
    static const int counts[3][9] = {
        {0, 4, 1, 5, 1, 2, 1, 1, 0}, {0, 14, 1, 15, 0, 2, 1, 1, 0}, {0, 4, 1, 5, 0, 2, 1, 1, 0}};
    const std::uint8_t how = r.byte();
    const std::size_t count = how % 4 ? counts[cls][member] : how % 16;
    for (std::size_t n = count; n > 0; --n) args.push_back(argument(r, keep, numbers[n - 1]));

    const std::string before = w.contents();
    DISPPARAMS p{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    Variant result;
    EXCEPINFO ex{};
    UINT bad_arg = 0;
    const HRESULT h = object->Invoke(id, GUID_NULL, 0, flags, &p, result.out(), &ex, &bad_arg);
    if (fuzz::verbose)
        std::fprintf(stderr, "member %d, %zu arguments: 0x%08x %s\n", static_cast<int>(id),
                     args.size(), static_cast<unsigned>(h),
                     h == DISP_E_EXCEPTION ? bstr_utf8(ex.bstrDescription).c_str() : "");
    if (h == DISP_E_EXCEPTION) {
        const std::string why = bstr_utf8(ex.bstrDescription);
        fuzz::check(!why.empty(), "an exception without a description");
        fuzz::check(text::is_valid_utf8(why), "a description that is not UTF-8");
        SysFreeString(ex.bstrSource);
        SysFreeString(ex.bstrDescription);
        SysFreeString(ex.bstrHelpFile);
    }
    const bool refused = FAILED(h) || (result->vt == VT_BOOL && result->boolVal == VARIANT_FALSE);
    if (refused || is_read(member))
        fuzz::check(w.contents() == before, "data changed by a failed call or a read");
    for (auto& a : args)
        if (!(a.vt & VT_BYREF) && a.vt != (VT_ARRAY | VT_I4)) VariantClear(&a);
    if (w.contents().size() > 200000)
        w.db->execute_script("DELETE FROM DATA_Msg; DELETE FROM HR_Person; DELETE FROM HR_Dept;");
    return 0;
}
