// Creating objects of in-process servers found through the registry: ProgID -> CLSID ->
// server file, loaded with dlopen; the server's DllGetClassObject hands out a class factory.
// Loaded servers stay loaded until CoFreeUnusedLibraries finds that they can unload.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/interfaces.h"

namespace com {

HRESULT CLSIDFromProgID(const OLECHAR* progid, CLSID* clsid);
HRESULT CLSIDFromString(const OLECHAR* text, CLSID* clsid);
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID iid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);
// Creates the class registered under `progid` and returns its IDispatch. Failures leave error
// information with a description (class not registered, server not found, ...).
HRESULT CreateObject(std::string_view progid, IDispatch** object);

// Unloads every loaded server whose DllCanUnloadNow answers S_OK.
void CoFreeUnusedLibraries();
// The number of servers currently loaded.
std::size_t loaded_server_count();

// Loads the server file and calls its DllRegisterServer / DllUnregisterServer.
HRESULT register_server(const std::string& path);
HRESULT unregister_server(const std::string& path);

// The file of the loaded module that contains `address` (a server's own path, for
// registration); empty when unknown.
std::string module_path_of(const void* address);

}  // namespace com
