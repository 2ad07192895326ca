#include "platform/ado/registration.h"

#include "platform/ado/ado.h"

namespace ado {

namespace {

struct Registered {
    const char* progid;
    const char* name;
    const com::CLSID& clsid;
};

const Registered classes[] = {
    {"ADODB.Connection", "Connection", CLSID_Connection},
    {"ADODB.Recordset", "Recordset", CLSID_Recordset},
};

}  // namespace

void write_registration(com::RegistryData& r, const std::string& server_path) {
    for (const auto& c : classes) {
        std::string clsid = c.clsid.to_string();
        r.set(c.progid, "", c.name);
        r.set(std::string(c.progid) + "\\CLSID", "", clsid);
        r.set("CLSID\\" + clsid, "", c.name);
        r.set("CLSID\\" + clsid + "\\InprocServer32", "", server_path);
        r.set("CLSID\\" + clsid + "\\InprocServer32", "ThreadingModel", "Apartment");
        r.set("CLSID\\" + clsid + "\\ProgID", "", c.progid);
    }
}

void remove_registration(com::RegistryData& r) {
    for (const auto& c : classes) {
        r.remove_tree(c.progid);
        r.remove_tree("CLSID\\" + c.clsid.to_string());
    }
}

}  // namespace ado
