// The export (cb_2): the grid to a file the user chooses, the path told to the user, and
// one Syslog line committed. The save dialog offers the text the list has always written
// (".xls", read by other programs) and a real workbook (".xlsx"), chosen by the file's
// extension. An audit line that cannot be written or committed is rolled back and the user
// is told, after being told that the file was written.
#include "platform/runtime/application.h"
#include "platform/text/gbk.h"
#include "screens/list/w_employee.h"

namespace screens {
namespace {

constexpr const char* kAuditInsert = "insert into Syslog ( l_user , l_work ) values ( ? , ? ) ";
constexpr const char* kAuditText = "导出了报溢报表";
constexpr const char* kAuditFailed = "导出记录未能写入日志：";

// Whether the chosen file is a workbook (".xlsx", in any case).
bool is_workbook(const std::string& path) {
    const std::string ext = path.size() >= 5 ? path.substr(path.size() - 5) : "";
    return text::ascii_lower(ext) == ".xlsx";
}

}  // namespace

void w_employee::cb_2_clicked() {
    runtime::FileDialogRequest dialog;
    dialog.kind = runtime::FileDialogRequest::Kind::save;
    dialog.title = "导出文件";
    dialog.default_extension = "文本文件";
    dialog.filter = "EXCEL表格(.xls),*.xls,Excel 工作簿(*.xlsx),*.xlsx";
    const runtime::FileChoice choice = app().show_file_dialog(this, dialog);
    const std::int16_t li_value = static_cast<std::int16_t>(choice.result);
    const std::string& ls_file = choice.path;
    if (li_value != 1) return;
    if (app().files().is_database_file(ls_file)) {
        host().f_showerror("这是正在使用的数据库文件，不能导出到该文件：" + ls_file);
        return;
    }

    // A file that was not written is no success and leaves no audit line.
    const int written =
        is_workbook(ls_file) ? dw_1().saveasxlsx(ls_file) : dw_1().saveasascii(ls_file);
    if (written != 1) {
        host().f_showerror("导出失败");
        return;
    }
    host().f_showinfo("导出成功" + ls_file);
    write_export_audit();
}

void w_employee::write_export_audit() {
    runtime::Transaction& sqlca = host().sqlca;
    const std::string ls_log = kAuditText;
    sqlca.execute(kAuditInsert, {db::Value(host().gs_username), db::Value(ls_log)});
    if (sqlca.sqlcode() == 0 && sqlca.commit() == 0) return;
    const std::string reason = sqlca.reason();  // the rollback resets it
    sqlca.rollback();
    host().f_showerror(kAuditFailed + reason);
}

}  // namespace screens
