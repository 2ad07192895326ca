// The entry points of the data-access server module (libtarvo_ado.so).
#include "platform/ado/objects.h"
#include "platform/ado/registration.h"
#include "platform/com/activation.h"
#include "platform/com/error_info.h"
#include "platform/com/registry.h"

using namespace com;

namespace {

struct AdoClass {
    const CLSID& clsid;
    ClassFactory::Create create;
};

const AdoClass classes[] = {
    {ado::CLSID_Connection, ado::create_connection},
    {ado::CLSID_Recordset, ado::create_recordset},
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
        edit_registry([&](RegistryData& r) { ado::write_registration(r, path); });
    } catch (const std::exception& e) {
        return report_error(SELFREG_E_CLASS, GUID_NULL, "ADODB", e.what());
    }
    return S_OK;
}

TARVO_EXPORT HRESULT DllUnregisterServer() {
    try {
        edit_registry([](RegistryData& r) { ado::remove_registration(r); });
    } catch (const std::exception& e) {
        return report_error(SELFREG_E_CLASS, GUID_NULL, "ADODB", e.what());
    }
    return S_OK;
}
