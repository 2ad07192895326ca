// The four entry points of the in-process server, the only symbols the library exports.
#include "component/class_object.h"
#include "component/registration.h"
#include "platform/com/activation.h"
#include "platform/com/error_info.h"

using namespace com;

namespace {

struct Creatable {
    const CLSID& clsid;
    ClassFactory::Create create;
};

const Creatable creatable[] = {
    {tarvo::CLSID_Department, tarvo::create_department},
    {tarvo::CLSID_Person, tarvo::create_person},
    {tarvo::CLSID_Message, tarvo::create_message},
};

std::string own_path() {
    return module_path_of(reinterpret_cast<const void*>(&own_path));
}

HRESULT registration_failure(const std::exception& e) {
    return report_error(SELFREG_E_CLASS, GUID_NULL, std::string_view("Tarvo"),
                        std::string_view(e.what()));
}

}  // namespace

#define TARVO_EXPORT extern "C" __attribute__((visibility("default")))

TARVO_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const Creatable& c : creatable) {
        if (!(c.clsid == clsid)) continue;
        Ptr<ClassFactory> factory(new ClassFactory(tarvo::module_state(), c.create));
        return factory->QueryInterface(iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

TARVO_EXPORT HRESULT DllCanUnloadNow() {
    return tarvo::module_state().can_unload() ? S_OK : S_FALSE;
}

TARVO_EXPORT HRESULT DllRegisterServer() {
    try {
        std::string path = own_path();
        edit_registry([&](RegistryData& r) { tarvo::write_registration(r, path); });
    } catch (const std::exception& e) {
        return registration_failure(e);
    }
    return S_OK;
}

TARVO_EXPORT HRESULT DllUnregisterServer() {
    try {
        edit_registry([](RegistryData& r) { tarvo::remove_registration(r); });
    } catch (const std::exception& e) {
        return registration_failure(e);
    }
    return S_OK;
}
