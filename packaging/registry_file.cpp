// Writes the class registry installed beside the servers (<prefix>/lib/tarvo/registry): what
// DllRegisterServer of the data-access server and of the data component write, with each
// server named by its file name alone. Look-ups take such a relative name against the
// registry file's folder, so the installed tree can be moved.
//
// Usage: tarvo-registry-file OUTPUT ADO_FILE_NAME COMPONENT_FILE_NAME
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "component/registration.h"
#include "platform/ado/registration.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: tarvo-registry-file OUTPUT ADO_FILE_NAME COMPONENT_FILE_NAME\n";
        return 2;
    }
    const std::string output = argv[1];
    com::RegistryData registry;
    ado::write_registration(registry, argv[2]);
    tarvo::write_registration(registry, argv[3]);
    // Written aside and renamed, so an interrupted build leaves no half file to install.
    const std::string partial = output + ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << registry.serialize();
    out.close();
    if (!out || std::rename(partial.c_str(), output.c_str()) != 0) {
        std::perror(("tarvo-registry-file: " + output).c_str());
        return 1;
    }
    return 0;
}
