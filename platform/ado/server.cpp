// The entry points of the data-access server module (libtarvo_ado.so).
#include "platform/ado/objects.h"
#include "platform/com/activation.h"
#include "platform/com/error_info.h"
#include "platform/com/registry.h"

using namespace com;

namespace {

struct AdoClass {
    const char* progid;
    const char* name;
    const CLSID& clsid;
    ClassFactory::Create create;
};

const AdoClass classes[] = {
    {"ADODB.Connection", "Connection", ado::CLSID_Connection, ado::create_connection},
    {"ADODB.Recordset", "Recordset", ado::CLSID_Recordset, ado::create_recordset},
};

std::string own_path() {
    return module_path_of(reinterpret_cast<const void*>(&own_path));
}

}  // namespace

#define TARVO_EXPORT extern "C" __attribute__((visibility("default")))

TARVO_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const auto& c : classes) {
        if (!(c.clsid == clsid)) continue;
        Ptr<ClassFactory> factory(new ClassFactory(ado::module_state(), c.create));
        return factory->QueryInterface(iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

TARVO_EXPORT HRESULT DllCanUnloadNow() {
    return ado::module_state().can_unload() ? S_OK : S_FALSE;
}

TARVO_EXPORT HRESULT DllRegisterServer() {
    std::string path = own_path();
    try {
        edit_registry([&](RegistryData& r) {
            for (const auto& c : classes) {
                std::string clsid = c.clsid.to_string();
                r.set(c.progid, "", c.name);
                r.set(std::string(c.progid) + "\\CLSID", "", clsid);
                r.set("CLSID\\" + clsid, "", c.name);
                r.set("CLSID\\" + clsid + "\\InprocServer32", "", path);
                r.set("CLSID\\" + clsid + "\\InprocServer32", "ThreadingModel", "Apartment");
                r.set("CLSID\\" + clsid + "\\ProgID", "", c.progid);
            }
        });
    } catch (const std::exception& e) {
        return report_error(SELFREG_E_CLASS, GUID_NULL, "ADODB", e.what());
    }
    return S_OK;
}

TARVO_EXPORT HRESULT DllUnregisterServer() {
    try {
        edit_registry([&](RegistryData& r) {
            for (const auto& c : classes) {
                r.remove_tree(c.progid);
                r.remove_tree("CLSID\\" + c.clsid.to_string());
            }
        });
    } catch (const std::exception& e) {
        return report_error(SELFREG_E_CLASS, GUID_NULL, "ADODB", e.what());
    }
    return S_OK;
}
