// File services on real files: block reads, seek, delete, exact writes, path mapping.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/runtime/files.h"
#include "tests/support/test_db.h"

namespace {

using runtime::Files;
namespace fs = std::filesystem;

db::Bytes pattern(std::size_t n) {
    db::Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xff);
    return b;
}

class FilesTest : public ::testing::Test {
  protected:
    std::string make(const std::string& name, const db::Bytes& bytes) {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return p.string();
    }
    // Reads a file the way the photo selection does: passes computed from the length,
    // each read followed by a seek to the running position.
    std::pair<int, db::Bytes> read_in_passes(const std::string& path) {
        std::int64_t len = files.length(path);
        int handle = files.open_read(path);
        int passes = len <= 0 ? 0 : static_cast<int>((len + Files::kMaxRead - 1) / Files::kMaxRead);
        db::Bytes all, block;
        std::int64_t pos = 0;
        for (int i = 0; i < passes; ++i) {
            int got = files.read(handle, block);
            all.insert(all.end(), block.begin(), block.end());
            pos += got;
            files.seek(handle, pos);
        }
        files.close(handle);
        return {passes, all};
    }

    testing_support::TempDir dir;
    Files files{dir / "drive_c"};
};

TEST_F(FilesTest, ReadsAtMost32765BytesPerCall) {
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, Files::kMaxRead, Files::kMaxRead + 1,
                          2 * Files::kMaxRead, 2 * Files::kMaxRead + 3}) {
        db::Bytes data = pattern(n);
        std::string path = make("f" + std::to_string(n), data);
        EXPECT_EQ(files.length(path), static_cast<std::int64_t>(n));
        auto [passes, got] = read_in_passes(path);
        EXPECT_EQ(passes, static_cast<int>((n + Files::kMaxRead - 1) / Files::kMaxRead)) << n;
        EXPECT_EQ(got, data) << n;
    }
}

TEST_F(FilesTest, SingleReadsReportCountsAndTheEnd) {
    std::string path = make("g", pattern(Files::kMaxRead + 1));
    int h = files.open_read(path);
    ASSERT_GT(h, 0);
    db::Bytes block;
    EXPECT_EQ(files.read(h, block), 32765);
    EXPECT_EQ(block.size(), 32765u);
    EXPECT_EQ(files.read(h, block), 1);
    EXPECT_EQ(files.read(h, block), 0);
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(files.seek(h, 32764), 1);
    EXPECT_EQ(files.read(h, block), 2);
    EXPECT_EQ(files.close(h), 1);
    EXPECT_EQ(files.close(h), -1);
    EXPECT_EQ(files.read(h, block), -1);
    EXPECT_EQ(files.seek(h, 0), -1);
}

TEST_F(FilesTest, MissingFilesFailToMeasureAndOpenButDeleteQuietly) {
    std::string missing = (dir / "none.jpg").string();
    EXPECT_LT(files.length(missing), 0);
    EXPECT_EQ(files.open_read(missing), -1);
    EXPECT_LT(files.length(dir.path().string()), 0);  // a folder is not a file
    EXPECT_EQ(files.remove(missing), 1);
    std::string present = make("del", pattern(3));
    EXPECT_EQ(files.remove(present), 1);
    EXPECT_FALSE(fs::exists(present));
    EXPECT_EQ(files.remove(dir.path().string()), -1);
    EXPECT_TRUE(fs::exists(dir.path()));
}

TEST_F(FilesTest, WindowsDrivePathsMapIntoTheDriveFolder) {
    EXPECT_EQ(files.map("c:\\tempemployee.JPG"), dir / "drive_c" / "tempemployee.JPG");
    EXPECT_EQ(files.map("C:\\a\\b.txt"), dir / "drive_c" / "a" / "b.txt");
    EXPECT_EQ(files.map("d:\\x.txt"), dir / "drive_d" / "x.txt");
    EXPECT_EQ(files.map("/tmp/a\\b"), fs::path("/tmp/a\\b"));  // POSIX paths stay
    EXPECT_EQ(files.map("ico\\find.ico"), fs::path("ico/find.ico"));
    // ".." stops at the drive's root, as on Windows.
    EXPECT_EQ(files.map("c:\\..\\..\\etc\\passwd"), dir / "drive_c" / "etc" / "passwd");
    EXPECT_EQ(files.map("c:\\a\\..\\..\\b\\.\\c.txt"), dir / "drive_c" / "b" / "c.txt");
    EXPECT_EQ(files.map("c:..\\x"), dir / "drive_c" / "x");
    EXPECT_EQ(files.map("c:\\.."), dir / "drive_c");

    db::Bytes photo = pattern(70000);
    EXPECT_EQ(files.write_bytes("c:\\tempemployee.JPG", photo), 1);  // creates the folder
    EXPECT_EQ(files.length("c:\\tempemployee.JPG"), 70000);
    auto [passes, got] = read_in_passes("c:\\tempemployee.JPG");
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(got, photo);
    EXPECT_EQ(files.remove("c:\\tempemployee.JPG"), 1);
    EXPECT_LT(files.length("c:\\tempemployee.JPG"), 0);
}

TEST_F(FilesTest, WriteReplacesTheFileWithExactlyTheBytes) {
    std::string path = make("w", pattern(5000));
    db::Bytes shorter = {0x00, 0x0d, 0x0a, 0xff, 0x1a};
    EXPECT_EQ(files.write_bytes(path, shorter), 1);
    auto [passes, got] = read_in_passes(path);
    EXPECT_EQ(got, shorter);
    EXPECT_EQ(files.write_bytes(path, {}), 1);
    EXPECT_EQ(files.length(path), 0);
    EXPECT_EQ(files.write_bytes((dir / "no" / "such" / "dir" / "f").string(), shorter), -1);
    EXPECT_EQ(files.write_bytes(dir.path().string(), shorter), -1);
    for (auto& e : fs::directory_iterator(dir.path()))  // no temporary file left behind
        EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
}

TEST(FilesDefaults, DriveFolderFollowsTheEnvironment) {
    const char* saved = std::getenv("TARVO_DRIVE_C");
    const char* saved_xdg = std::getenv("XDG_DATA_HOME");
    std::string keep = saved ? saved : "", keep_xdg = saved_xdg ? saved_xdg : "";
    setenv("TARVO_DRIVE_C", "/tmp/tarvo-drive-test", 1);
    EXPECT_EQ(Files::default_drive_c(), fs::path("/tmp/tarvo-drive-test"));
    unsetenv("TARVO_DRIVE_C");
    setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(Files::default_drive_c(), fs::path("/tmp/xdg/tarvo/drive_c"));
    unsetenv("XDG_DATA_HOME");
    if (saved) setenv("TARVO_DRIVE_C", keep.c_str(), 1);
    if (saved_xdg) setenv("XDG_DATA_HOME", keep_xdg.c_str(), 1);
}

}  // namespace
