#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/com/registry.h"
#include "tests/support/scoped_env.h"
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

void write_file(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Another program rewriting the file in place (same inode), with the given modification time.
void write_in_place(const std::string& path, const std::string& text, timespec mtime) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    timespec times[2] = {mtime, mtime};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(RegistrySnapshot, IsReadAgainOnlyWhenSizeOrTimeOfTheFileChanged) {
    testing_support::TempDir dir;
    testing_support::ScopedEnv no_admin("XDG_CONFIG_DIRS", dir.path().string());
    std::string path = (dir / "registry").string();
    ::setenv("TARVO_REGISTRY", path.c_str(), 1);
    EXPECT_TRUE(registry_snapshot()->keys().empty());  // no file yet
    edit_registry([](RegistryData& r) { r.set("A", "", "1"); });
    auto first = registry_snapshot();
    EXPECT_EQ(first->get("A"), "1");
    EXPECT_EQ(registry_snapshot(), first);  // unchanged: the same parse, no new read

    timespec t0{1700000000, 0};
    write_in_place(path, "[A]\n@=2\n", t0);
    auto second = registry_snapshot();
    EXPECT_EQ(second->get("A"), "2");
    write_in_place(path, "[A]\n@=3\n", {1700000000, 500});  // same size, later time
    EXPECT_EQ(registry_snapshot()->get("A"), "3");
    write_in_place(path, "[A]\n@=40\n", {1700000000, 500});  // same time, other size
    EXPECT_EQ(registry_snapshot()->get("A"), "40");

    // A file that does not parse fails every look-up until it is mended.
    write_in_place(path, "[A]\nbroken\n", t0);
    EXPECT_THROW(registry_snapshot(), std::runtime_error);
    EXPECT_THROW(registry_snapshot(), std::runtime_error);
    write_in_place(path, "[A]\n@=5\n", {1700000001, 0});
    EXPECT_EQ(registry_snapshot()->get("A"), "5");

    // Another registry file is another registry.
    std::string other = (dir / "other").string();
    ::setenv("TARVO_REGISTRY", other.c_str(), 1);
    EXPECT_FALSE(registry_snapshot()->get("A"));
    ::unsetenv("TARVO_REGISTRY");
}

TEST(RegistrySnapshot, ThreadsReadWhileTheRegistryIsRewritten) {
    testing_support::TempDir dir;
    ::setenv("TARVO_REGISTRY", (dir / "registry").c_str(), 1);
    edit_registry([](RegistryData& r) { r.set("Counter", "", "0"); });
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&] {
            int last = 0;
            while (!done) {
                auto value = registry_snapshot()->get("Counter");
                int now = value ? std::stoi(*value) : -1;
                if (now < last) ++bad;  // never missing, never going back
                last = now;
            }
        });
    for (int i = 1; i <= 100; ++i)
        edit_registry([i](RegistryData& r) { r.set("Counter", "", std::to_string(i)); });
    done = true;
    for (auto& t : readers) t.join();
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(registry_snapshot()->get("Counter"), "100");
    ::unsetenv("TARVO_REGISTRY");
}

TEST(RegistryLayers, AreTheUsersFileThenTheAdministratorsThenTheShippedOne) {
    testing_support::TempDir dir;
    testing_support::ScopedEnv user("TARVO_REGISTRY", (dir / "user" / "registry").string());
    testing_support::ScopedEnv admin(
        "XDG_CONFIG_DIRS",
        (dir / "admin").string() + ":relative/ignored::" + (dir / "vendor").string());
    using Paths = std::vector<std::filesystem::path>;
    EXPECT_EQ(registry_search_path(),
              (Paths{dir / "user" / "registry", dir / "admin" / "tarvo" / "registry",
                     dir / "vendor" / "tarvo" / "registry", shipped_registry_path()}));

    write_file(dir / "admin" / "tarvo" / "registry",
               "[CLSID\\{A}\\InprocServer32]\n@=servers/../servers/a.so\nThreadingModel=Apartment\n"
               "[A.One\\CLSID]\n@={A}\n[TypeLib\\{L}\\1.0\\HELPDIR]\n@=\n");
    const std::string vendor = (dir / "vendor" / "tarvo" / "registry").string();
    write_file(vendor, "[A.One\\CLSID]\n@={B}\n[B.Two\\CLSID]\n@={B}\n");
    edit_registry(
        [](RegistryData& r) { r.set("CLSID\\{A}\\InprocServer32", "", "/home/me/a.so"); });

    auto merged = registry_snapshot();
    // A key of the user's file wins whole: the administrator's threading model is gone too.
    EXPECT_EQ(merged->get("CLSID\\{A}\\InprocServer32"), "/home/me/a.so");
    EXPECT_FALSE(merged->get("CLSID\\{A}\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ(merged->get("A.One\\CLSID"), "{A}");  // the administrator's before the vendor's
    EXPECT_EQ(merged->get("B.Two\\CLSID"), "{B}");
    EXPECT_EQ(registry_snapshot(), merged);  // nothing changed: no new read

    // Without the user's entry the administrator's shows, its relative paths taken from
    // its own folder (an empty help folder is that folder).
    edit_registry([](RegistryData& r) { r.remove_tree("CLSID\\{A}"); });
    merged = registry_snapshot();
    const auto admin_dir = dir / "admin" / "tarvo";
    EXPECT_EQ(merged->get("CLSID\\{A}\\InprocServer32"), (admin_dir / "servers" / "a.so").string());
    EXPECT_EQ(merged->get("CLSID\\{A}\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(merged->get("TypeLib\\{L}\\1.0\\HELPDIR"), admin_dir.string());

    // A change of a lower file is seen at the next look-up, and so is a broken one.
    write_in_place(vendor, "[B.Two\\CLSID]\n@={C}\n", {1700000000, 0});
    EXPECT_EQ(registry_snapshot()->get("B.Two\\CLSID"), "{C}");
    write_in_place(vendor, "[B.Two]\nbroken\n", {1700000001, 0});
    EXPECT_THROW(registry_snapshot(), std::runtime_error);
    std::filesystem::remove(vendor);
    EXPECT_FALSE(registry_snapshot()->get("B.Two\\CLSID"));
}

// The entries of two servers that matter for removing the first, and two versions of one
// type library, the second belonging to the second server.
RegistryData two_servers(const std::string& first) {
    RegistryData r;
    r.set("A.One\\CLSID", "", "{A}");
    r.set("CLSID\\{A}\\InprocServer32", "", first);
    r.set("CLSID\\{A}\\ProgID", "", "A.One");
    r.set("Interface\\{I}\\TypeLib", "", "{L}");
    r.set("Interface\\{I}\\TypeLib", "Version", "1.0");
    r.set("TypeLib\\{L}\\1.0\\409\\linux64", "", first);
    r.set("B.Two\\CLSID", "", "{B}");
    r.set("CLSID\\{B}\\InprocServer32", "", "/srv/b.so");
    r.set("Interface\\{J}\\TypeLib", "", "{L}");
    r.set("Interface\\{J}\\TypeLib", "Version", "2.0");
    r.set("TypeLib\\{L}\\2.0\\409\\linux64", "", "/srv/b.so");
    return r;
}

TEST(RegistryLayers, AServerThatIsGoneLosesItsEntriesAndNoOtherOne) {
    RegistryData r = two_servers("/gone/lib/a.so");
    EXPECT_TRUE(remove_server_entries(r, "/gone/./x/../lib/a.so", "/"));  // another spelling
    std::vector<std::string> expected = {"B.Two\\CLSID", "CLSID\\{B}\\InprocServer32",
                                         "Interface\\{J}\\TypeLib",
                                         "TypeLib\\{L}\\2.0\\409\\linux64"};
    EXPECT_EQ(r.keys(), expected);
    EXPECT_FALSE(remove_server_entries(r, "/gone/lib/a.so", "/"));  // nothing left to remove

    // A relative path is taken against the file's folder; with its last version goes the
    // type library's key.
    r = two_servers("lib/a.so");
    r.remove_tree("TypeLib\\{L}\\2.0");
    r.create_key("TypeLib\\{L}");
    EXPECT_FALSE(remove_server_entries(r, "/elsewhere/lib/a.so", "/gone"));
    EXPECT_TRUE(remove_server_entries(r, "/gone/lib/a.so", "/gone"));
    EXPECT_FALSE(r.has_key("TypeLib\\{L}"));
}

}  // namespace
