// Photo selection: a double click on p_1 lets the user choose a picture file, which is read
// in blocks, shown through the temporary file and stored at once in the employee's row.
#include <cstdint>
#include <limits>

#include "platform/runtime/application.h"
#include "screens/form/w_employeeadd.h"

namespace screens {
namespace {

constexpr std::int64_t kBlock = 32765;  // the most one read of a stream returns

// The passes that read `length` bytes: the quotient, one more for a remainder.
std::int64_t passes_for(std::int64_t length) {
    if (length <= 0) return 0;
    return length % kBlock == 0 ? length / kBlock : length / kBlock + 1;
}

}  // namespace

void w_employeeadd::dw_1_doubleclicked(const std::string& object) {
    if (object != "p_1") return;
    runtime::DataWindowControl& dw = dw_1();
    const int li_row = dw.getrow();

    runtime::FileDialogRequest dialog;
    dialog.kind = runtime::FileDialogRequest::Kind::open;
    dialog.title = "选择文件";
    dialog.default_extension = "JPG";
    dialog.filter = "图片文件(*.JPG),*.JPG";
    const runtime::FileChoice choice = app().show_file_dialog(this, dialog);
    if (choice.result != 1) return;
    if (!stored_eid_ && li_row <= 0) {
        host().f_showerror("没有员工记录，照片未保存");
        return;
    }
    if (app().files().is_database_file(choice.path)) {
        host().f_showerror("这是正在使用的数据库文件，不能作为照片：" + choice.path);
        return;
    }

    std::optional<db::Bytes> photo = read_photo_file(choice.path);
    if (!photo) return;  // told why; the stored photo and the picture stay as they were
    show_photo(*photo);
    if (stored_eid_) {
        // The row the record has in the table, even when its number is being edited.
        store_photo(*stored_eid_, std::move(*photo));
    } else {
        // Not in the table yet: its number may belong to someone else. Kept for the
        // record's first save.
        pending_photo_ = std::move(*photo);
    }
}

std::optional<db::Bytes> w_employeeadd::read_photo_file(const std::string& path) {
    runtime::Files& files = app().files();
    const std::int64_t ll_len = files.length(path);
    if (ll_len < 0) {
        host().f_showerror("无法读取照片文件（文件不存在或不是普通文件）：" + path);
        return std::nullopt;
    }
    if (ll_len > std::numeric_limits<std::int32_t>::max()) {
        host().f_showerror("照片文件太大，不能超过 2GB：" + path);
        return std::nullopt;
    }
    const int li_filenum = files.open_read(path);
    if (li_filenum < 0) {
        host().f_showerror("无法打开照片文件：" + path);
        return std::nullopt;
    }
    db::Bytes lb_photo, lb_block;
    lb_photo.reserve(static_cast<std::size_t>(ll_len));
    std::int64_t ll_position = 0;
    const std::int64_t li_loops = passes_for(ll_len);
    for (std::int64_t li_pass = 1; li_pass <= li_loops; ++li_pass) {
        const int li_read = files.read(li_filenum, lb_block);
        if (li_read < 0) {
            files.close(li_filenum);
            host().f_showerror("读取照片文件出错：" + path);
            return std::nullopt;
        }
        // A short pass (the file's end, or a file that shrank) appends what it read.
        lb_photo.insert(lb_photo.end(), lb_block.begin(), lb_block.end());
        ll_position += li_read;
        files.seek(li_filenum, ll_position);
    }
    files.close(li_filenum);
    return lb_photo;
}

void w_employeeadd::store_photo(const std::string& eid, db::Bytes photo) {
    runtime::Transaction& sqlca = host().sqlca;
    sqlca.set_autocommit(true);
    sqlca.updateblob(kPhotoUpdate, std::move(photo), {db::Value(eid)});
    const bool stored = sqlca.sqlcode() == 0 && sqlca.sqlnrows() > 0;
    const std::string why = sqlca.sqlcode() != 0 ? sqlca.reason() : "该员工已被他人删除";
    sqlca.set_autocommit(false);
    if (stored) return;
    // The picture shows what the table holds again, its photo or none rather than a wrong
    // one, before the user reads why.
    if (!load_photo(db::Value(eid))) {
        dw_1().modify(kShowNoPhoto);
        app().files().remove(kTempPhoto);
    }
    host().f_showerror("照片未保存：" + why);
}

bool w_employeeadd::show_photo(const db::Bytes& photo) {
    if (host().f_filewrite(photo, kTempPhoto) == 1) {
        dw_1().modify(kShowTempPhoto);
        return true;
    }
    // The old file would show another photo: the picture shows none, and says why.
    dw_1().modify(kShowNoPhoto);
    host().f_showerror(std::string("照片无法显示：临时文件 ") + kTempPhoto + " 无法写入");
    return false;
}

}  // namespace screens
