// Lists one page of the people of an employee database through the data component.
//
//   tarvo-client DATABASE [PAGE_SIZE [PAGE]]
//
// Creates Tarvo.Person and ADODB.Connection by ProgID, opens the connection on the SQLite
// file DATABASE, hands it to the person object with SetConn and prints what GetPageData
// returns: a two-dimensional array, one row a line, the cells separated by tabs (NULL for
// Null). Page size and page default to 10 and 1.
//
// Build with find_package(Tarvo) (CMakeLists.txt here), or:
//   c++ -std=c++20 client.cpp $(pkg-config --cflags --libs tarvo) -o tarvo-client
#include <tarvo/com.h>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace com;

namespace {

struct Failure : std::runtime_error {
    Failure(const std::string& what, HRESULT code)
        : std::runtime_error(what + " (" + hresult_text(code) + ")"), code(code) {}
    HRESULT code;
};

// Creates the class registered under `progid`; a failure carries the registry's reason.
Ptr<IDispatch> create(const std::string& progid) {
    Ptr<IDispatch> object;
    HRESULT h = CreateObject(progid, object.out());
    if (FAILED(h)) {
        ErrorText why;
        take_error(why);
        throw Failure(progid + " cannot be created: " + to_utf8(why.description), h);
    }
    return object;
}

// Calls `method` of `object` by name. `args` are in the order the method declares them;
// Invoke wants them last first.
Variant call(IDispatch* object, const std::string& method, std::vector<Variant> args) {
    std::u16string name = to_utf16(method);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT h = object->GetIDsOfNames(GUID_NULL, names, 1, 0, &id);
    if (FAILED(h)) throw Failure(method + ": no such method", h);
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(**it);
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO error{};
    Variant result;
    h = object->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &params, result.out(), &error, nullptr);
    if (h == DISP_E_EXCEPTION) {
        // The method failed: its own code and description.
        std::string why = bstr_utf8(error.bstrDescription);
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
        throw Failure(method + ": " + why, error.scode);
    }
    if (FAILED(h)) throw Failure(method + " cannot be called", h);
    return result;
}

// Prints a two-dimensional array of VARIANT; a null array is the empty one.
void print_rows(const VARIANT& value) {
    if (value.vt != (VT_ARRAY | VT_VARIANT)) throw std::runtime_error("the result is no array");
    SAFEARRAY* rows = value.parray;
    if (!rows) {
        std::cout << "(no rows)\n";
        return;
    }
    LONG first_row, last_row, first_col, last_col;
    SafeArrayGetLBound(rows, 1, &first_row);
    SafeArrayGetUBound(rows, 1, &last_row);
    SafeArrayGetLBound(rows, 2, &first_col);
    SafeArrayGetUBound(rows, 2, &last_col);
    for (LONG r = first_row; r <= last_row; ++r) {
        for (LONG c = first_col; c <= last_col; ++c) {
            LONG at[2] = {r, c};
            Variant cell;
            SafeArrayGetElement(rows, at, cell.out());
            std::cout << (c > first_col ? "\t" : "")
                      << (cell->vt == VT_NULL ? "NULL" : variant_text(*cell));
        }
        std::cout << '\n';
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::cerr << "usage: tarvo-client DATABASE [PAGE_SIZE [PAGE]]\n";
        return 2;
    }
    try {
        const LONG page_size = argc > 2 ? std::stoi(argv[2]) : 10;
        const LONG page = argc > 3 ? std::stoi(argv[3]) : 1;
        Ptr<IDispatch> person = create("Tarvo.Person");
        Ptr<IDispatch> connection = create("ADODB.Connection");
        std::vector<Variant> open;
        open.push_back(
            Variant::adopt(var_text("Provider=SQLite;Data Source=" + std::string(argv[1]))));
        call(connection.get(), "Open", std::move(open));
        std::vector<Variant> conn;
        conn.push_back(Variant::adopt(var_dispatch(connection.get())));
        call(person.get(), "SetConn", std::move(conn));
        std::vector<Variant> page_args;
        page_args.push_back(Variant::adopt(var_i4(page_size)));
        page_args.push_back(Variant::adopt(var_i4(page)));
        print_rows(*call(person.get(), "GetPageData", std::move(page_args)));
    } catch (const std::exception& e) {
        std::cerr << "tarvo-client: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
