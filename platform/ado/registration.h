// The registry entries of the data-access server: what its DllRegisterServer writes and its
// DllUnregisterServer removes.
#pragma once

#include <string>

#include "platform/com/registry.h"

namespace ado {

// For ADODB.Connection and ADODB.Recordset: ProgID -> CLSID, and under the CLSID the class
// name, the in-process server `server_path` (threading model Apartment) and the ProgID.
void write_registration(com::RegistryData& registry, const std::string& server_path);
void remove_registration(com::RegistryData& registry);

}  // namespace ado
