#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

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

// Another program rewriting the file in place (same inode), with the given modification time.
void write_in_place(const std::string& path, const std::string& text, timespec mtime) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    timespec times[2] = {mtime, mtime};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(RegistrySnapshot, IsReadAgainOnlyWhenSizeOrTimeOfTheFileChanged) {
    testing_support::TempDir dir;
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

}  // namespace
