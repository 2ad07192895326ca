#include "component/registration.h"

#include <cstdio>
#include <filesystem>

#include "component/type_library.h"

namespace tarvo {

namespace {

std::string version() {
    const auto& lib = type_library();
    return std::to_string(lib.major) + "." + std::to_string(lib.minor);
}

std::string typelib_key() {
    return "TypeLib\\" + type_library().libid.to_string();
}

std::string locale_key() {
    char lcid[16];
    std::snprintf(lcid, sizeof lcid, "%x", static_cast<unsigned>(type_library().lcid));
    return lcid;
}

}  // namespace

void write_registration(com::RegistryData& r, const std::string& server_path) {
    const TypeLibraryInfo& lib = type_library();
    std::string libid = lib.libid.to_string();
    for (const ClassInfo& c : lib.classes) {
        std::string progid(c.progid), clsid = c.clsid.to_string(), iid = c.iface.iid.to_string();
        std::string clsid_key = "CLSID\\" + clsid;
        r.set(progid, "", std::string(c.name));
        r.set(progid + "\\CLSID", "", clsid);
        r.set(clsid_key, "", std::string(c.name));
        r.set(clsid_key + "\\InprocServer32", "", server_path);
        r.set(clsid_key + "\\InprocServer32", "ThreadingModel", "Apartment");
        r.set(clsid_key + "\\ProgID", "", progid);
        r.set(clsid_key + "\\TypeLib", "", libid);
        std::string iface_key = "Interface\\" + iid;
        r.set(iface_key, "", std::string(c.iface.name));
        r.set(iface_key + "\\ProxyStubClsid32", "", com::CLSID_AutomationMarshaler.to_string());
        r.set(iface_key + "\\TypeLib", "", libid);
        r.set(iface_key + "\\TypeLib", "Version", version());
    }
    std::string lib_key = typelib_key() + "\\" + version();
    r.set(lib_key, "", std::string(lib.name));
    r.set(lib_key + "\\" + locale_key() + "\\linux64", "", server_path);
    r.set(lib_key + "\\FLAGS", "", "0");
    r.set(lib_key + "\\HELPDIR", "", std::filesystem::path(server_path).parent_path().string());
}

void remove_registration(com::RegistryData& r) {
    for (const ClassInfo& c : type_library().classes) {
        r.remove_tree(c.progid);
        r.remove_tree("CLSID\\" + c.clsid.to_string());
        r.remove_tree("Interface\\" + c.iface.iid.to_string());
    }
    r.remove_tree(typelib_key() + "\\" + version());
    // The library's key goes with its last version.
    if (!r.has_keys_below(typelib_key())) r.remove_tree(typelib_key());
}

}  // namespace tarvo
