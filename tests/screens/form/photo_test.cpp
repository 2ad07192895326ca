// Photo selection by a double click on p_1: files of several sizes read and stored byte for
// byte, a photo for a record not yet in the table, and files that cannot be read. On both
// databases.
#include "tests/screens/form/form_fixture.h"

namespace form_test {
namespace {

class FormPhoto : public FormTest {
  protected:
    // Writes a photo file under the test's folder and returns its absolute path.
    std::string photo_file(const std::string& name, const db::Bytes& bytes) {
        const auto path = dir / "photos" / name;
        write_file(path, bytes);
        return path.string();
    }
    // The photo of E1, as shown and as stored, is still the one it had.
    void expect_e1_photo_unchanged() {
        EXPECT_EQ(read_file(temp_photo()), e1_photo);
        EXPECT_EQ(picture(), "c:\\tempemployee.JPG");
        EXPECT_EQ(stored_photo("E1"), e1_photo);
    }
};

TEST_P(FormPhoto, FilesOfEverySizeAreStoredAndShownByteForByte) {
    open_form("E2");
    unsigned seed = 1;
    for (std::size_t size : {32765u, 32766u, 65530u, 0u, 1u}) {
        SCOPED_TRACE(size);
        const db::Bytes bytes = pattern(size, ++seed);
        choose_photo(photo_file("p" + std::to_string(size) + ".jpg", bytes));
        EXPECT_EQ(read_file(temp_photo()), bytes);
        EXPECT_EQ(picture(), "c:\\tempemployee.JPG");
        ASSERT_TRUE(stored_photo("E2").has_value());  // an empty file stores an empty block
        EXPECT_EQ(*stored_photo("E2"), bytes);
    }
    auto dialogs = prompts("open");
    ASSERT_EQ(dialogs.size(), 5u);
    EXPECT_EQ(dialogs[0].title, "选择文件");
    EXPECT_EQ(dialogs[0].default_extension, "JPG");
    EXPECT_EQ(dialogs[0].text, "图片文件(*.JPG),*.JPG");
    EXPECT_EQ(ui.prompts().size(), 5u);  // no message
    EXPECT_FALSE(h.sqlca.autocommit());
}

TEST_P(FormPhoto, TwentyMegabytesGoThroughWhole) {
    open_form("E1");
    const db::Bytes bytes = pattern(20u << 20, 3);
    choose_photo(photo_file("big.jpg", bytes));
    EXPECT_EQ(read_file(temp_photo()), bytes);
    EXPECT_EQ(stored_photo("E1"), bytes);
    EXPECT_EQ(stored_photo("E2"), std::nullopt);
}

TEST_P(FormPhoto, WindowsPathIsReadFromDriveC) {
    open_form("E2");
    write_file(files.map("c:\\照片\\李四.JPG"), pattern(4000, 9));
    choose_photo("c:\\照片\\李四.JPG");
    EXPECT_EQ(stored_photo("E2"), pattern(4000, 9));
}

TEST_P(FormPhoto, StoredAtOnceAndKeptWhenTheFormClosesWithoutSaving) {
    open_form("E1");
    const db::Bytes bytes = pattern(5000, 4);
    choose_photo(photo_file("new.jpg", bytes));
    EXPECT_EQ(stored_photo("E1"), bytes);  // committed: another user sees it
    EXPECT_EQ(dw().modifiedcount(), 0);
    ASSERT_TRUE(close_form());
    EXPECT_TRUE(prompts("messagebox").empty());  // a stored photo is no unsaved change
    EXPECT_EQ(stored_photo("E1"), bytes);
    EXPECT_FALSE(std::filesystem::exists(temp_photo()));
}

TEST_P(FormPhoto, OtherObjectsAndACancelledDialogDoNothing) {
    open_form("E1");
    for (const char* object : {"ename", "eid_t", ""}) double_click(1, object);
    EXPECT_TRUE(ui.prompts().empty());
    choose_photo(std::nullopt);
    EXPECT_EQ(ui.prompts().size(), 1u);
    expect_e1_photo_unchanged();
}

// Mended: a photo chosen after Add goes with the record's first save, never to the row of
// another employee whose number the new record shows meanwhile.
TEST_P(FormPhoto, PhotoOfANewRecordWaitsForItsFirstSave) {
    open_form("E1");
    click("cb_add");
    edit("eid", "E2");  // another employee's number, for now
    const db::Bytes bytes = pattern(40000, 5);
    choose_photo(photo_file("new.jpg", bytes));
    EXPECT_EQ(read_file(temp_photo()), bytes);  // shown
    EXPECT_EQ(stored_photo("E2"), std::nullopt);
    EXPECT_EQ(stored_photo("E1"), e1_photo);

    // Not lost by a close: the guard counts it.
    ui.queue(runtime::Answer::cancelled());
    EXPECT_FALSE(close_form());
    EXPECT_EQ(variable("ltotalmodified"), "2");  // the row and the photo

    edit("eid", "E7");
    edit("ename", "赵七");
    click("cb_save");
    EXPECT_EQ(prompts("info").back().text, "保存成功");
    EXPECT_EQ(stored_photo("E7"), bytes);
    EXPECT_EQ(stored_photo("E2"), std::nullopt);

    // The record is in the table now: the next photo is stored at once, and nothing is
    // left to ask about.
    choose_photo(photo_file("next.jpg", pattern(300, 6)));
    EXPECT_EQ(stored_photo("E7"), pattern(300, 6));
    EXPECT_TRUE(close_form());
    EXPECT_EQ(prompts("messagebox").size(), 1u);  // the one cancelled before
}

TEST_P(FormPhoto, PendingPhotoAndRecordAreWrittenTogetherOrNotAtAll) {
    refuse("INSERT");
    open_form("new");  // opened as new: not in the table either
    edit("eid", "E8");
    choose_photo(photo_file("new.jpg", pattern(100, 8)));
    click("cb_save");
    EXPECT_EQ(prompts("info").back().text, "保存失败");
    EXPECT_EQ(cell("E8", "eid"), "(no row)");

    allow("INSERT");
    click("cb_save");
    EXPECT_EQ(prompts("info").back().text, "保存成功");
    EXPECT_EQ(stored_photo("E8"), pattern(100, 8));
}

TEST_P(FormPhoto, PhotoGoesToTheRecordsRowWhileItsNumberIsBeingEdited) {
    open_form("E1");
    click("cb_modi");
    edit("eid", "E2");
    choose_photo(photo_file("new.jpg", pattern(64, 2)));
    EXPECT_EQ(stored_photo("E1"), pattern(64, 2));
    EXPECT_EQ(stored_photo("E2"), std::nullopt);
}

// Mended: a file that cannot be read is reported and changes nothing.
TEST_P(FormPhoto, UnreadableFileIsReportedAndChangesNothing) {
    open_form("E1");
    std::filesystem::create_directories(dir / "a-folder.jpg");
    const auto sparse = dir / "huge.jpg";
    write_file(sparse, {});
    std::filesystem::resize_file(sparse, 3ull << 30);  // 3 GB, no disk used
    const std::string paths[] = {(dir / "missing.jpg").string(), (dir / "a-folder.jpg").string(),
                                 sparse.string()};
    for (const std::string& path : paths) choose_photo(path);
    auto errors = prompts("error");
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].text, "无法读取照片文件（文件不存在或不是普通文件）：" + paths[0]);
    EXPECT_EQ(errors[1].text, "无法读取照片文件（文件不存在或不是普通文件）：" + paths[1]);
    EXPECT_EQ(errors[2].text, "照片文件太大，不能超过 2GB：" + paths[2]);
    expect_e1_photo_unchanged();
}

// Mended: a photo the table did not take was shown as if stored, without a word.
TEST_P(FormPhoto, APhotoTheTableRefusesIsToldAndThePictureShowsTheStoredOne) {
    refuse("UPDATE");
    open_form("E1");
    choose_photo(photo_file("new.jpg", pattern(500, 3)));
    auto errors = prompts("error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text.rfind("照片未保存：", 0), 0u) << errors[0].text;
    EXPECT_NE(errors[0].text.find("UPDATE refused"), std::string::npos) << errors[0].text;
    expect_e1_photo_unchanged();
    EXPECT_FALSE(h.sqlca.autocommit());
    ASSERT_TRUE(close_form());

    open_form("E2");  // without a photo: the picture shows none
    choose_photo(photo_file("new.jpg", pattern(500, 3)));
    EXPECT_EQ(picture(), "");
    EXPECT_FALSE(std::filesystem::exists(temp_photo()));
    EXPECT_EQ(stored_photo("E2"), std::nullopt);
}

TEST_P(FormPhoto, APhotoForAnEmployeeDeletedMeanwhileIsToldNotStored) {
    open_form("E2");
    other->execute("DELETE FROM employee WHERE eid = 'E2'");
    choose_photo(photo_file("new.jpg", pattern(500, 3)));
    EXPECT_EQ(prompt_texts().back(), "error:照片未保存：该员工已被他人删除");
    EXPECT_EQ(picture(), "");
    EXPECT_FALSE(std::filesystem::exists(temp_photo()));
}

// The photo is stored; only the temporary file that shows it cannot be written (here a
// folder stands in its way). The picture shows no other photo instead, and says why.
TEST_P(FormPhoto, ATemporaryFileThatCannotBeWrittenShowsNoPictureAndSaysSo) {
    open_form("E1");
    std::filesystem::remove(temp_photo());
    std::filesystem::create_directory(temp_photo());
    const db::Bytes bytes = pattern(500, 3);
    choose_photo(photo_file("new.jpg", bytes));
    EXPECT_EQ(prompt_texts().back(), "error:照片无法显示：临时文件 c:\\tempemployee.JPG 无法写入");
    EXPECT_EQ(picture(), "");
    EXPECT_EQ(stored_photo("E1"), bytes);
}

// The open database is never read as a photo, nor written as the temporary photo file:
// either would cost the program its locks on it.
TEST_P(FormPhoto, TheOpenDatabaseIsNeitherAPhotoNorTheTemporaryFile) {
    if (database.backend() != db::Backend::sqlite) GTEST_SKIP() << "a SQLite file";
    const std::string file = database.url().substr(7);
    const auto size = std::filesystem::file_size(file);
    open_form("E1");
    for (const std::string& chosen : {file, file + "-wal"}) {
        choose_photo(chosen);
        EXPECT_EQ(prompt_texts().back(), "error:这是正在使用的数据库文件，不能作为照片：" + chosen);
    }
    expect_e1_photo_unchanged();
    ASSERT_TRUE(close_form());

    std::filesystem::create_hard_link(file, temp_photo());
    open_form("E1");
    EXPECT_EQ(prompt_texts().back(), "error:照片无法显示：临时文件 c:\\tempemployee.JPG 无法写入");
    EXPECT_EQ(picture(), "");
    EXPECT_EQ(std::filesystem::file_size(file), size);
    EXPECT_EQ(stored_photo("E1"), e1_photo);
}

INSTANTIATE_TEST_SUITE_P(Backends, FormPhoto, ::testing::ValuesIn(testing_support::backend_names()),
                         testing_support::backend_name);

}  // namespace
}  // namespace form_test
