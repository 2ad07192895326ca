#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/com/registry.h"
#include "tests/support/test_db.h"

using namespace com;

namespace {

TEST(RegistryData, KeysAndNamesIgnoreCase) {
    RegistryData r;
    r.set("CLSID\\{A}\\InprocServer32", "", "/lib/a.so");
    r.set("CLSID\\{A}\\InprocServer32", "ThreadingModel", "Apartment");
    EXPECT_EQ(r.get("clsid\\{a}\\inprocserver32"), "/lib/a.so");
    EXPECT_EQ(r.get("CLSID\\{A}\\InprocServer32", "threadingmodel"), "Apartment");
    EXPECT_EQ(r.get("CLSID\\{A}\\InprocServer32", "@"), "/lib/a.so");
    EXPECT_FALSE(r.get("CLSID\\{A}\\InprocServer32", "Other"));
    EXPECT_TRUE(r.has_key("CLSID\\{A}"));  // a parent of a key exists too
    EXPECT_FALSE(r.has_key("CLSID\\{A}\\Inproc"));
}

TEST(RegistryData, RemovingATreeLeavesSiblingsWithTheSamePrefix) {
    RegistryData r;
    r.set("CLSID\\{A}", "", "a");
    r.set("CLSID\\{A}\\ProgID", "", "A.One");
    r.set("CLSID\\{A}X", "", "another key");
    r.remove_tree("clsid\\{a}");
    EXPECT_FALSE(r.has_key("CLSID\\{A}"));
    EXPECT_EQ(r.get("CLSID\\{A}X"), "another key");
}

TEST(RegistryData, TextRoundTripsAndBadLinesAreNamed) {
    RegistryData r;
    r.set("Tarvo.Person\\CLSID", "", "{E9603B53-5BA5-41BF-B798-5DEFAF96A398}");
    r.set("K", "name", "a=b;c");
    r.create_key("Empty\\Key");
    RegistryData back = RegistryData::parse(r.serialize());
    EXPECT_EQ(back.serialize(), r.serialize());
    EXPECT_EQ(back.get("K", "name"), "a=b;c");
    EXPECT_TRUE(back.has_key("Empty\\Key"));
    EXPECT_THROW(RegistryData::parse("[K]\nno equals sign\n"), std::runtime_error);
    EXPECT_THROW(RegistryData::parse("name=value before any key\n"), std::runtime_error);
    EXPECT_THROW(r.set("K", "n", "two\nlines"), std::invalid_argument);
}

TEST(RegistryFile, LivesWhereTarvoRegistryPointsAndIsEditedInPlace) {
    testing_support::TempDir dir;
    std::string path = (dir / "sub" / "registry").string();
    ::setenv("TARVO_REGISTRY", path.c_str(), 1);
    EXPECT_EQ(registry_path(), path);
    EXPECT_TRUE(read_registry().keys().empty());  // no file yet
    edit_registry([](RegistryData& r) { r.set("A", "", "1"); });
    edit_registry([](RegistryData& r) { r.set("B", "", "2"); });
    RegistryData now = read_registry();
    EXPECT_EQ(now.get("A"), "1");
    EXPECT_EQ(now.get("B"), "2");
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.front(), ';');
    ::unsetenv("TARVO_REGISTRY");
}

}  // namespace
