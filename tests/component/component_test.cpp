#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "component/interfaces.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "schema/schema.h"
#include "tests/platform/ado/ado_fixture.h"
#include "tests/platform/com/automation_client.h"
#include "tests/support/faults.h"

using namespace com;
using testing_support::call;
using testing_support::Named;
using testing_support::text;

namespace {

// The argument VB passes for `Set x.pConn = conn`-style calls: the object by reference.
VARIANT object_ref(IDispatch** slot) {
    VARIANT v = var_empty();
    v.vt = VT_BYREF | VT_DISPATCH;
    v.ppdispVal = slot;
    return v;
}

class ComponentTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TARVO_REQUIRE_DB(database);
        db = database.connect();
        schema::create(*db);
        for (int i = 1; i <= 3; ++i) {
            db->execute("INSERT INTO HR_Dept (DeptName, DeptOrder) VALUES (?, ?)",
                        {"部门" + std::to_string(i), i});
            db->execute("INSERT INTO HR_Person (DeptID, PersonName) VALUES (1, ?)",
                        {"员工" + std::to_string(i)});
            db->execute("INSERT INTO DATA_Msg (PersonID, MsgTitle) VALUES (1, ?)",
                        {"消息" + std::to_string(i)});
        }
        ASSERT_EQ(CreateObject("ADODB.Connection", conn.out()), S_OK);
        auto cs = text(testing_support::ado_connection_string(database.url()));
        auto opened = call(conn.get(), u"Open", {*cs});
        ASSERT_EQ(opened.hr, S_OK) << opened.description;
    }

    long count(const std::string& table, const std::string& key, int id) {
        auto r = db->query_all("SELECT COUNT(*) FROM " + table + " WHERE " + key + " = ?", {id});
        return static_cast<long>(r.rows[0][0].as_integer());
    }

    Ptr<IDispatch> create(const char* progid) {
        Ptr<IDispatch> object;
        EXPECT_EQ(CreateObject(progid, object.out()), S_OK) << progid;
        return object;
    }

    // A class through its typed interface, given the test's connection with SetConn.
    template <class Interface>
    Ptr<Interface> typed(const char* progid, const IID& iid) {
        Ptr<ado::_Connection> typed_conn;
        EXPECT_EQ(conn->QueryInterface(ado::IID__Connection, typed_conn.out_void()), S_OK);
        ado::_Connection* raw = typed_conn.get();
        Ptr<Interface> object;
        EXPECT_EQ(create(progid)->QueryInterface(iid, object.out_void()), S_OK) << progid;
        if (object) {
            EXPECT_EQ(object->SetConn(&raw), S_OK);
        }
        return object;
    }

    void set_conn(IDispatch* object, IDispatch* connection) {
        IDispatch* slot = connection;
        auto r = call(object, u"SetConn", {object_ref(&slot)});
        ASSERT_EQ(r.hr, S_OK) << r.description;
    }

    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE, TARVO_COMPONENT_MODULE}};
    testing_support::TestDatabase database{GetParam()};
    std::unique_ptr<db::Connection> db;
    Ptr<IDispatch> conn;
};

TEST_P(ComponentTest, DelDataThroughDispatchWithAByReferenceArgument) {
    auto dept = create("Tarvo.Department");
    set_conn(dept.get(), conn.get());
    Variant id = Variant::adopt(var_i4(2));
    auto r = call(dept.get(), u"DelData", {var_ref(id.get())});
    ASSERT_EQ(r.hr, S_OK) << r.description;
    EXPECT_EQ(r.value->vt, VT_BOOL);
    EXPECT_EQ(r.value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(count("HR_Dept", "DeptID", 2), 0);
    EXPECT_EQ(count("HR_Dept", "DeptID", 1), 1);
    // An identifier no row has still returns True.
    Variant missing = Variant::adopt(var_text("999"));
    EXPECT_EQ(call(dept.get(), u"DelData", {var_ref(missing.get())}).value->boolVal, VARIANT_TRUE);
}

// The automation boundary: memory that runs out inside an operation fails the call with
// E_OUTOFMEMORY and GetError's text, and the program goes on. A name of 40 million
// characters in a process allowed 48 MB more than it has cannot even be copied (that copy
// once became an empty name, stored as such); with 120 MB it cannot become text; with 240
// MB the statement built from it runs out (an exception that once ended the program).
// Through the typed interface and through IDispatch.
TEST_P(ComponentTest, RunningOutOfMemoryFailsTheCallNotTheProgram) {
    if (GetParam() != "sqlite") GTEST_SKIP() << "one database is enough";
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer reserves the address space a limit would measure";
#endif
    auto dept = typed<tarvo::_Department>("Tarvo.Department", tarvo::IID__Department);
    ASSERT_TRUE(dept);
    auto untyped = create("Tarvo.Department");
    set_conn(untyped.get(), conn.get());
    Variant name = Variant::adopt(var_text(std::string(40'000'000, 'x')));
    Variant order = Variant::adopt(var_i4(1)), none = Variant::adopt(var_empty());
    for (rlim_t headroom : {rlim_t{48} << 20, rlim_t{120} << 20, rlim_t{240} << 20}) {
        SCOPED_TRACE(headroom >> 20);
        const pid_t child = ::fork();
        if (child == 0) {
            rlimit limit{};
            ::getrlimit(RLIMIT_AS, &limit);
            limit.rlim_cur = testing_support::address_space_in_use() + headroom;
            ::setrlimit(RLIMIT_AS, &limit);
            VARIANT_BOOL ok = VARIANT_TRUE;
            const HRESULT typed = dept->AddData(*name, *order, *none, *none, &ok);
            Bstr error;
            dept->GetError(error.out());
            const auto dispatched = call(untyped.get(), u"AddData", {*name, *order, *none, *none});
            ::_exit(typed == E_OUTOFMEMORY && ok == VARIANT_FALSE &&
                            error.view() == u"out of memory" &&
                            (dispatched.hr == E_OUTOFMEMORY || dispatched.scode == E_OUTOFMEMORY)
                        ? 0
                        : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    EXPECT_EQ(count("HR_Dept", "DeptOrder", 1), 1);  // nothing was written
}

TEST_P(ComponentTest, DelDataThroughTheTypedInterfacesOfAllThreeClasses) {
    auto dept = typed<tarvo::_Department>("Tarvo.Department", tarvo::IID__Department);
    ASSERT_TRUE(dept);
    Variant id = Variant::adopt(var_i2(1));
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(dept->DelData(id.get(), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(count("HR_Dept", "DeptID", 1), 0);

    auto person = typed<tarvo::_Person>("Tarvo.Person", tarvo::IID__Person);
    ASSERT_TRUE(person);
    Variant pid = Variant::adopt(var_text("3"));
    ASSERT_EQ(person->DelData(pid.get(), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(count("HR_Person", "PersonID", 3), 0);

    auto message = typed<tarvo::_Message>("Tarvo.Message", tarvo::IID__Message);
    ASSERT_TRUE(message);
    Variant mid = Variant::adopt(var_r8(2));
    ASSERT_EQ(message->DelData(mid.get(), &ok), S_OK);
    EXPECT_EQ(count("DATA_Msg", "MsgID", 2), 0);
    EXPECT_EQ(count("DATA_Msg", "MsgID", 1), 1);
}

TEST_P(ComponentTest, NamedArgumentsReachTheirParameters) {
    auto person = create("Tarvo.Person");
    IDispatch* slot = conn.get();
    ASSERT_EQ(call(person.get(), u"SetConn", {}, {{u"pConn", object_ref(&slot)}}).hr, S_OK);
    Variant id = Variant::adopt(var_i4(1));
    auto r = call(person.get(), u"deldata", {}, {{u"id", var_ref(id.get())}});
    ASSERT_EQ(r.hr, S_OK) << r.description;
    EXPECT_EQ(r.value->boolVal, VARIANT_TRUE);
    EXPECT_EQ(count("HR_Person", "PersonID", 1), 0);
    EXPECT_EQ(call(person.get(), u"DelData", {}, {{u"DeptID", var_i4(1)}}).hr, DISP_E_UNKNOWNNAME);
}

TEST_P(ComponentTest, WithoutAConnectionTheCallFailsAndGetErrorTellsWhyOnAnyInstance) {
    auto dept = create("Tarvo.Department");
    auto r = call(dept.get(), u"DelData", {var_i4(1)});
    ASSERT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.scode, tarvo::TARVO_E_NO_CONNECTION);
    EXPECT_EQ(r.source, "Tarvo.Department");
    const std::string why =
        "No connection: call SetConn with an open ADODB.Connection before this operation";
    EXPECT_EQ(r.description, why);
    EXPECT_EQ(count("HR_Dept", "DeptID", 1), 1);

    auto person = create("Tarvo.Person");
    auto error = call(person.get(), u"GetError", {});
    ASSERT_EQ(error.hr, S_OK);
    EXPECT_EQ(bstr_utf8(error.value->bstrVal), why);

    // The typed call returns False with the failure code and error information.
    Ptr<tarvo::_Message> message;
    create("Tarvo.Message")->QueryInterface(tarvo::IID__Message, message.out_void());
    Variant id = Variant::adopt(var_i4(1));
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(message->DelData(id.get(), &ok), tarvo::TARVO_E_NO_CONNECTION);
    EXPECT_EQ(ok, VARIANT_FALSE);
    ErrorText info;
    ASSERT_TRUE(take_error(info));
    EXPECT_EQ(to_utf8(info.description), why);
    EXPECT_EQ(to_utf8(info.source), "Tarvo.Message");
}

TEST_P(ComponentTest, GetErrorIsPerThreadAndOutlivesLaterSuccess) {
    auto dept = create("Tarvo.Department");
    set_conn(dept.get(), conn.get());
    auto bad = text("1 or 1=1");
    auto r = call(dept.get(), u"DelData", {*bad});
    EXPECT_EQ(r.scode, tarvo::TARVO_E_CONVERSION);
    EXPECT_EQ(r.description, "Parameter ID: the text \"1 or 1=1\" is not a number");
    EXPECT_EQ(count("HR_Dept", "DeptID", 1), 1);  // nothing reached the database

    EXPECT_EQ(call(dept.get(), u"DelData", {var_i4(3)}).value->boolVal, VARIANT_TRUE);
    auto message = create("Tarvo.Message");
    EXPECT_EQ(bstr_utf8(call(message.get(), u"GetError", {}).value->bstrVal), r.description);

    std::string elsewhere = "unset";
    std::thread([&] {
        Ptr<tarvo::_Person> person;
        Ptr<IDispatch> p;
        CreateObject("Tarvo.Person", p.out());
        p->QueryInterface(tarvo::IID__Person, person.out_void());
        Bstr text;
        person->GetError(text.out());
        elsewhere = text.utf8();
    }).join();
    EXPECT_EQ(elsewhere, "");  // a thread without failures has the empty text
}

TEST_P(ComponentTest, DatabaseFailuresPassThroughWithTheirCodeAndText) {
    auto dept = create("Tarvo.Department");
    set_conn(dept.get(), conn.get());
    // A Null identifier leaves nothing after "DeptID=", which the database rejects.
    auto r = call(dept.get(), u"DelData", {var_null()});
    ASSERT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.scode, ado::E_ADO_DATABASE);
    EXPECT_TRUE(r.description.starts_with(GetParam() == "sqlite" ? "SQLite error"
                                                                 : "PostgreSQL error 42601"))
        << r.description;
    EXPECT_EQ(bstr_utf8(call(dept.get(), u"GetError", {}).value->bstrVal), r.description);
}

TEST_P(ComponentTest, SetConnReplacesAndClearsTheConnection) {
    auto dept = create("Tarvo.Department");
    Ptr<IDispatch> closed;
    ASSERT_EQ(CreateObject("ADODB.Connection", closed.out()), S_OK);
    set_conn(dept.get(), closed.get());
    EXPECT_EQ(call(dept.get(), u"DelData", {var_i4(1)}).scode, ado::E_ADO_CLOSED);
    set_conn(dept.get(), conn.get());  // the second connection is used
    EXPECT_EQ(call(dept.get(), u"DelData", {var_i4(1)}).hr, S_OK);
    set_conn(dept.get(), nullptr);  // no object clears it
    EXPECT_EQ(call(dept.get(), u"DelData", {var_i4(2)}).scode, tarvo::TARVO_E_NO_CONNECTION);
    EXPECT_EQ(count("HR_Dept", "DeptID", 2), 1);

    auto not_a_connection = create("Tarvo.Person");
    IDispatch* slot = not_a_connection.get();
    EXPECT_EQ(call(dept.get(), u"SetConn", {object_ref(&slot)}).scode, tarvo::TARVO_E_CONVERSION);
}

INSTANTIATE_TEST_SUITE_P(Backends, ComponentTest,
                         ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

// Calls slot `index` of an interface's table of functions, as a C client does.
template <class R, class... A>
R call_slot(void* iface, int index, A... args) {
    using Fn = R (*)(void*, A...);
    void** table = *static_cast<void***>(iface);
    return reinterpret_cast<Fn>(table[index])(iface, args...);
}

TEST(ComponentLayout, MethodsFollowTheSevenStandardSlots) {
    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE, TARVO_COMPONENT_MODULE}};
    Ptr<IDispatch> object;
    ASSERT_EQ(CreateObject("Tarvo.Person", object.out()), S_OK);
    Ptr<tarvo::_Person> person;
    ASSERT_EQ(object->QueryInterface(tarvo::IID__Person, person.out_void()), S_OK);
    void* p = person.get();
    EXPECT_EQ(call_slot<ULONG>(p, 1), 3u);  // AddRef: `object`, `person` and this call
    EXPECT_EQ(call_slot<ULONG>(p, 2), 2u);  // Release
    UINT infos = 7;
    EXPECT_EQ(call_slot<HRESULT>(p, 3, &infos), S_OK);  // GetTypeInfoCount
    EXPECT_EQ(infos, 0u);
    Variant id = Variant::adopt(var_i4(1));
    VARIANT_BOOL ok = VARIANT_TRUE;
    // Slot 7 + 4: DelData, failing without a connection.
    EXPECT_EQ(call_slot<HRESULT>(p, 10, id.get(), &ok), tarvo::TARVO_E_NO_CONNECTION);
    EXPECT_EQ(ok, VARIANT_FALSE);
    BSTR text = nullptr;
    EXPECT_EQ(call_slot<HRESULT>(p, 8, &text), S_OK);  // GetError
    EXPECT_TRUE(bstr_utf8(text).starts_with("No connection")) << bstr_utf8(text);
    SysFreeString(text);
    EXPECT_EQ(call_slot<HRESULT>(p, 10, static_cast<VARIANT*>(nullptr), &ok), E_POINTER);
    SAFEARRAY* rows = reinterpret_cast<SAFEARRAY*>(1);
    EXPECT_EQ(call_slot<HRESULT>(p, 15, id.get(), &rows),  // GetDeptData
              tarvo::TARVO_E_NO_CONNECTION);
    EXPECT_EQ(rows, nullptr);  // the empty array on failure

    Ptr<ISupportErrorInfo> support;
    ASSERT_EQ(object->QueryInterface(IID_ISupportErrorInfo, support.out_void()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(tarvo::IID__Person), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(tarvo::IID__Message), S_FALSE);
    Ptr<IUnknown> back;
    ASSERT_EQ(support->QueryInterface(IID_IUnknown, back.out_void()), S_OK);
    EXPECT_EQ(back.get(), static_cast<IUnknown*>(object.get()));  // one identity
}

TEST(ComponentRegistration, WritesExactlyItsEntriesAndRemovesThem) {
    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE}};
    ASSERT_EQ(register_server(TARVO_COMPONENT_MODULE), S_OK);
    RegistryData r = read_registry();
    const std::string dept = "{F704D456-66A3-473F-8DC6-90791014A852}";
    const std::string lib = "{FE284729-8E08-44DB-B8C0-37D4F6CD4CE9}";
    const std::string iface = "{15088AA2-A8B5-4DBD-8912-7D302CA7B454}";
    EXPECT_EQ(r.get("Tarvo.Department\\CLSID"), dept);
    EXPECT_EQ(r.get("Tarvo.Person\\CLSID"), "{E9603B53-5BA5-41BF-B798-5DEFAF96A398}");
    EXPECT_EQ(r.get("Tarvo.Message\\CLSID"), "{4E06EC2D-D131-4B6C-9C8D-6DAB87505BFD}");
    auto server = r.get("CLSID\\" + dept + "\\InprocServer32");
    ASSERT_TRUE(server);
    EXPECT_TRUE(server->ends_with("libtarvo_component.so")) << *server;
    EXPECT_EQ(r.get("CLSID\\" + dept + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(r.get("CLSID\\" + dept + "\\ProgID"), "Tarvo.Department");
    EXPECT_EQ(r.get("CLSID\\" + dept + "\\TypeLib"), lib);
    EXPECT_EQ(r.get("TypeLib\\" + lib + "\\1.0"), "Tarvo");
    EXPECT_EQ(r.get("TypeLib\\" + lib + "\\1.0\\409\\linux64"), *server);
    EXPECT_EQ(r.get("Interface\\" + iface), "_Department");
    EXPECT_EQ(r.get("Interface\\" + iface + "\\ProxyStubClsid32"),
              "{00020424-0000-0000-C000-000000000046}");
    EXPECT_EQ(r.get("Interface\\" + iface + "\\TypeLib"), lib);

    ASSERT_EQ(unregister_server(TARVO_COMPONENT_MODULE), S_OK);
    r = read_registry();
    for (const auto& key : r.keys()) {
        EXPECT_EQ(key.find("Tarvo."), std::string::npos) << key;
        EXPECT_EQ(key.find(lib), std::string::npos) << key;
        EXPECT_EQ(key.find(iface), std::string::npos) << key;
        EXPECT_EQ(key.find(dept), std::string::npos) << key;
    }
    EXPECT_TRUE(r.get("ADODB.Connection\\CLSID"));  // other servers' entries stay
    Ptr<IDispatch> gone;
    EXPECT_EQ(CreateObject("Tarvo.Department", gone.out()), CO_E_CLASSSTRING);

    // A registry that cannot be written fails the registration with a description.
    std::ofstream(registry.path() + ".blocker") << "a file, not a folder";
    ::setenv("TARVO_REGISTRY", (registry.path() + ".blocker/registry").c_str(), 1);
    EXPECT_EQ(register_server(TARVO_COMPONENT_MODULE), SELFREG_E_CLASS);
    ErrorText why;
    ASSERT_TRUE(take_error(why));
    EXPECT_FALSE(why.description.empty());
}

// Unregistering leaves another version of the type library; and a server file that is gone,
// whose DllUnregisterServer cannot run, loses exactly the entries that function removes.
TEST(ComponentRegistration, AServerThatIsGoneIsUnregisteredAsItWouldUnregisterItself) {
    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE}};
    const std::string lib = "TypeLib\\{FE284729-8E08-44DB-B8C0-37D4F6CD4CE9}";
    edit_registry([&](RegistryData& r) { r.set(lib + "\\2.0", "", "Tarvo 2"); });
    const std::string before = read_registry().serialize();
    ASSERT_EQ(register_server(TARVO_COMPONENT_MODULE), S_OK);
    ASSERT_EQ(unregister_server(TARVO_COMPONENT_MODULE), S_OK);
    EXPECT_EQ(read_registry().serialize(), before);

    testing_support::TempDir dir;
    const std::filesystem::path copy = dir / "libtarvo_component.so";
    std::filesystem::copy_file(TARVO_COMPONENT_MODULE, copy);
    ASSERT_EQ(register_server(copy.string()), S_OK);
    EXPECT_EQ(read_registry().get(lib + "\\1.0\\409\\linux64"),
              std::filesystem::canonical(copy).string());
    std::filesystem::remove(copy);
    ASSERT_EQ(unregister_server(copy.string()), S_OK);
    EXPECT_EQ(read_registry().serialize(), before);
    EXPECT_EQ(unregister_server(copy.string()), CO_E_DLLNOTFOUND);  // nothing names it now
}

TEST(ComponentServer, CanUnloadOnlyWithoutObjectsOrLocks) {
    void* module = ::dlopen(TARVO_COMPONENT_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr);
    auto get_class = reinterpret_cast<DllGetClassObjectFn>(::dlsym(module, "DllGetClassObject"));
    auto can_unload = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(module, "DllCanUnloadNow"));
    ASSERT_TRUE(get_class && can_unload);
    EXPECT_EQ(::dlsym(module, "_ZN5tarvo12module_stateEv"), nullptr);  // nothing else exported

    EXPECT_EQ(can_unload(), S_OK);
    Ptr<IClassFactory> factory;
    ASSERT_EQ(get_class(tarvo::CLSID_Person, IID_IClassFactory, factory.out_void()), S_OK);
    EXPECT_EQ(can_unload(), S_FALSE);
    Ptr<IUnknown> unknown;
    EXPECT_EQ(factory->CreateInstance(factory.get(), IID_IUnknown, unknown.out_void()),
              CLASS_E_NOAGGREGATION);
    Ptr<tarvo::_Person> person;
    ASSERT_EQ(factory->CreateInstance(nullptr, tarvo::IID__Person, person.out_void()), S_OK);
    EXPECT_EQ(factory->LockServer(1), S_OK);
    factory.reset();
    EXPECT_EQ(can_unload(), S_FALSE);  // the instance and the lock
    EXPECT_EQ(person->AddRef(), 2u);
    EXPECT_EQ(person->Release(), 1u);
    tarvo::_Person* raw = person.detach();
    EXPECT_EQ(raw->Release(), 0u);
    EXPECT_EQ(can_unload(), S_FALSE);  // the lock alone
    ASSERT_EQ(get_class(tarvo::CLSID_Person, IID_IClassFactory, factory.out_void()), S_OK);
    factory->LockServer(0);
    factory.reset();
    EXPECT_EQ(can_unload(), S_OK);
    Ptr<IClassFactory> none;
    EXPECT_EQ(get_class(GUID_NULL, IID_IClassFactory, none.out_void()), CLASS_E_CLASSNOTAVAILABLE);
    ::dlclose(module);
}

TEST(ComponentServer, IsUnloadedWhenItsLastInstanceGoes) {
    testing_support::PrivateRegistry registry{{TARVO_ADO_MODULE, TARVO_COMPONENT_MODULE}};
    CoFreeUnusedLibraries();
    std::size_t before = loaded_server_count();
    Ptr<IDispatch> message;
    ASSERT_EQ(CreateObject("Tarvo.Message", message.out()), S_OK);
    EXPECT_EQ(loaded_server_count(), before + 1);
    CoFreeUnusedLibraries();
    EXPECT_EQ(loaded_server_count(), before + 1);
    message.reset();
    CoFreeUnusedLibraries();
    EXPECT_EQ(loaded_server_count(), before);
}

}  // namespace
