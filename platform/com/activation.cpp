#include "platform/com/activation.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/com/registry.h"

namespace com {

std::string GUID::to_string() const {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", Data1,
                  Data2, Data3, Data4[0], Data4[1], Data4[2], Data4[3], Data4[4], Data4[5],
                  Data4[6], Data4[7]);
    return buf;
}

namespace {

constexpr char source[] = "Tarvo automation";

struct LoadedServer {
    void* handle;
    DllGetClassObjectFn get_class_object;
    DllCanUnloadNowFn can_unload_now;
};

std::mutex servers_mutex;
std::map<std::string, LoadedServer> servers;  // by file path

HRESULT fail(HRESULT code, const std::string& description) {
    return report_error(code, GUID_NULL, source, description);
}

// Loads (or finds loaded) the server file. Caller holds servers_mutex.
HRESULT load_server(const std::string& path, LoadedServer& out) {
    if (auto it = servers.find(path); it != servers.end()) {
        out = it->second;
        return S_OK;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return fail(CO_E_DLLNOTFOUND, "cannot load the server " + path + ": " + ::dlerror());
    LoadedServer s{handle,
                   reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject")),
                   reinterpret_cast<DllCanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"))};
    if (!s.get_class_object) {
        ::dlclose(handle);
        return fail(CO_E_ERRORINDLL, "the server " + path + " exports no DllGetClassObject");
    }
    servers[path] = s;
    out = s;
    return S_OK;
}

std::string server_path(REFCLSID clsid) {
    auto path = registry_snapshot()->get("CLSID\\" + clsid.to_string() + "\\InprocServer32");
    return path ? *path : std::string();
}

}  // namespace

HRESULT CLSIDFromString(const OLECHAR* text, CLSID* clsid) {
    if (!text || !clsid) return E_INVALIDARG;
    std::string ascii = to_utf8(std::u16string_view(text));
    return GUID::parse(ascii, *clsid) ? S_OK : CO_E_CLASSSTRING;
}

HRESULT CLSIDFromProgID(const OLECHAR* progid, CLSID* clsid) {
    if (!progid || !clsid) return E_INVALIDARG;
    std::string name = to_utf8(std::u16string_view(progid));
    std::optional<std::string> value;
    try {
        value = registry_snapshot()->get(name + "\\CLSID");
    } catch (const std::exception& e) {
        return fail(REGDB_E_CLASSNOTREG, std::string("the registry cannot be read: ") + e.what());
    }
    if (!value || !GUID::parse(*value, *clsid))
        return fail(CO_E_CLASSSTRING, "no class is registered under the name " + name);
    return S_OK;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    std::string path;
    try {
        path = server_path(clsid);
    } catch (const std::exception& e) {
        return fail(REGDB_E_CLASSNOTREG, std::string("the registry cannot be read: ") + e.what());
    }
    if (path.empty())
        return fail(REGDB_E_CLASSNOTREG,
                    "the class " + clsid.to_string() + " has no registered server");
    LoadedServer server{};
    {
        std::lock_guard lock(servers_mutex);
        HRESULT h = load_server(path, server);
        if (FAILED(h)) return h;
    }
    return server.get_class_object(clsid, iid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    Ptr<IClassFactory> factory;
    HRESULT h = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, factory.out_void());
    if (FAILED(h)) return h;
    return factory->CreateInstance(outer, iid, object);
}

HRESULT CreateObject(std::string_view progid, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    CLSID clsid;
    std::u16string name = to_utf16(progid);
    HRESULT h = CLSIDFromProgID(name.c_str(), &clsid);
    if (FAILED(h)) return h;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(object));
}

void CoFreeUnusedLibraries() {
    std::lock_guard lock(servers_mutex);
    for (auto it = servers.begin(); it != servers.end();) {
        if (it->second.can_unload_now && it->second.can_unload_now() == S_OK) {
            ::dlclose(it->second.handle);
            it = servers.erase(it);
        } else {
            ++it;
        }
    }
}

std::size_t loaded_server_count() {
    std::lock_guard lock(servers_mutex);
    return servers.size();
}

static HRESULT call_entry(const std::string& path, const char* entry) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return fail(CO_E_DLLNOTFOUND, "cannot load the server " + path + ": " + ::dlerror());
    auto fn = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, entry));
    HRESULT h = fn ? fn() : fail(CO_E_ERRORINDLL, "the server " + path + " exports no " + entry);
    ::dlclose(handle);
    return h;
}

HRESULT register_server(const std::string& path) {
    return call_entry(path, "DllRegisterServer");
}

HRESULT unregister_server(const std::string& path) {
    std::error_code ec;
    if (path.empty() || std::filesystem::exists(path, ec) || ec)
        return call_entry(path, "DllUnregisterServer");
    // The file is gone, so its DllUnregisterServer cannot run: the entries that name it are
    // removed from the user's registry as that function would have removed them.
    const std::filesystem::path file = registry_path();
    try {
        RegistryData now = read_registry();
        if (!remove_server_entries(now, path, file.parent_path()))
            return fail(CO_E_DLLNOTFOUND, "the server " + path +
                                              " does not exist and no entry of the registry " +
                                              file.string() + " names it");
        edit_registry([&](RegistryData& r) { remove_server_entries(r, path, file.parent_path()); });
    } catch (const std::exception& e) {
        return fail(SELFREG_E_CLASS, "cannot remove the entries of " + path + ": " + e.what());
    }
    return S_OK;
}

std::string module_path_of(const void* address) {
    Dl_info info;
    if (::dladdr(address, &info) == 0 || !info.dli_fname) return {};
    std::error_code ec;
    auto p = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : p.string();
}

}  // namespace com
