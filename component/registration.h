// The registry entries of the component: what DllRegisterServer writes and
// DllUnregisterServer removes.
#pragma once

#include <string>

#include "platform/com/registry.h"

namespace tarvo {

// For each class: ProgID -> CLSID; under the CLSID the in-process server `server_path`
// (threading model Apartment), the ProgID and the type library; the type library itself; the
// three dual interfaces with the automation marshaller.
void write_registration(com::RegistryData& registry, const std::string& server_path);
void remove_registration(com::RegistryData& registry);

}  // namespace tarvo
