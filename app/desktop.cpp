#include "app/desktop.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "app/login_dialog.h"
#include "platform/db/error_reason.h"
#include "platform/runtime/replace_file.h"
#include "platform/runtime/script_driver.h"
#include "platform/ui/print_renderer.h"
#include "tools/common/cli.h"
#include "tools/common/profiles.h"
#include "tools/tarvo-db/default_db.h"

namespace app {
namespace {

std::filesystem::path drive_c_of(const Options& o) {
    return o.drive_c.empty() ? runtime::Files::default_drive_c() : std::filesystem::path(o.drive_c);
}

}  // namespace

Desktop::Desktop(Options options)
    : options_(std::move(options)),
      files_(drive_c_of(options_)),
      app_(options_.headless ? static_cast<runtime::Interaction&>(scripted_)
                             : static_cast<runtime::Interaction&>(dialogs_),
           files_),
      host_(app_) {}

Desktop::~Desktop() = default;

int Desktop::fail(const std::string& message) {
    std::fprintf(stderr, "tarvo: %s\n", cli::one_line(message).c_str());
    // Somebody looking at the screen sees it too (offscreen, nobody would).
    if (!options_.headless && QGuiApplication::platformName() != "offscreen")
        QMessageBox::critical(nullptr, "员工管理系统", QString::fromStdString(message));
    return 2;
}

bool Desktop::connect_database() {
    defaultdb::Target target;
    try {
        target = defaultdb::choose(options_.db, options_.profile);
    } catch (const profiles::ConfigError& e) {
        fail(std::string("连接配置有误：") + e.what());
        return false;
    }
    url_ = target.url;
    shown_ = target.shown();
    // On a server the user is whom it authenticated; a name given here would make the
    // audit line say what nobody checked.
    if (target.on_server() && !options_.user.empty()) {
        fail("--user 只能用于 SQLite 数据库：在数据库服务器上，用户就是服务器认证的登录角色");
        return false;
    }
    const login::Asker ask = options_.headless ? login::on_terminal() : login::Asker(ask_in_dialog);
    try {
        login::LoggedIn session = defaultdb::open(target, options_.prepare, options_.demo, ask);
        password_ = session.password;
        if (!session.note.empty()) std::fprintf(stderr, "tarvo: %s\n", session.note.c_str());
        host_.gs_username =
            options_.user.empty() ? session.conn->authenticated_user() : options_.user;
        host_.sqlca.attach(std::move(session.conn));
    } catch (const db::PasswordNeeded& e) {
        if (!options_.headless) {  // the user cancelled the log-in: nothing to say
            login_cancelled_ = true;
            return false;
        }
        fail("数据库服务器要求密码（" + login::who_and_where(e.login()) +
             "）：请在终端上运行，或使用 ~/.pgpass 或 PGPASSWORD");
        return false;
    } catch (const db::Error& e) {
        fail("无法打开数据库 " + shown_ + "：" + db::explain(e));
        return false;
    }
    std::int64_t count = 0;
    if (host_.sqlca.select_count("SELECT count(*) FROM Employee", {}, count) != 0) {
        fail("数据库 " + db::masked(url_) + " 中没有可用的 Employee 表（" + host_.sqlca.reason() +
             "）；用 --prepare 创建表");
        return false;
    }
    return true;
}

bool Desktop::load_screens() {
    host_.register_classes();
    std::string error;
    screens_ = host::ScreenLibrary::load(host_, host::ScreenLibrary::library_list(options_.library),
                                         error);
    if (!screens_) {
        fail(error);
        return false;
    }
    return true;
}

int Desktop::run() {
    if (!start()) return login_cancelled_ ? 0 : 2;
    return options_.headless ? run_script() : QApplication::exec();
}

bool Desktop::start() {
    // Exports and the photo file: a size limit fails a write instead of ending the program,
    // and what a program that died left half-written goes.
    runtime::prepare_file_writing({files_.drive_c()});
    if (!connect_database() || !load_screens()) return false;
    presentation_ = std::make_unique<ui::Presentation>(app_);
    if (!options_.headless) presentation_->remember_frames(ui::WindowMemory::default_file());
    // A script's print answered with a path writes that PDF file.
    scripted_.set_printer([this](const runtime::PrintJob& job, const std::string& path) {
        return ui::print_to_pdf(job, files_.local(path));
    });
    dialogs_.set_presentation(presentation_.get());
    // Headless, the script opens the windows it works on.
    return options_.headless || open_windows();
}

void Desktop::show_session() {
    runtime::Window* main = app_.find_open("w_main");
    auto* frame = main ? qobject_cast<QMainWindow*>(presentation_->widget_for(main)) : nullptr;
    if (!frame || frame->statusBar()->findChild<QLabel*>("session")) return;
    const std::string text =
        "用户：" + host_.gs_username + "    数据库：" + host_.sqlca.connection()->location();
    auto* session = new QLabel(QString::fromStdString(text));
    session->setObjectName("session");
    frame->statusBar()->addPermanentWidget(session);
}

bool Desktop::open_windows() {
    if (!app_.has_class(options_.open)) {
        fail("屏幕库 " + screens_->path().string() + " 中没有窗口 " + options_.open);
        return false;
    }
    host_.w_main();
    if (!host_.open_sheet(options_.open, std::nullopt)) {
        fail("窗口 " + options_.open + " 无法打开");
        return false;
    }
    show_session();
    return true;
}

int Desktop::run_script() {
    std::ifstream script(options_.script);  // checked readable with the arguments
    std::unique_ptr<db::Connection> inspection;
    try {
        inspection = db::connect(url_, password_);
    } catch (const db::Error& e) {
        return fail("无法打开数据库 " + shown_ + "：" + e.what());
    }
    runtime::ScriptDriver driver(app_, scripted_, std::cout);
    driver.set_database(inspection.get());
    driver.set_opener([this](std::string_view name, std::optional<std::string> parm) {
        runtime::Window* opened =
            name == "w_main" ? &host_.w_main() : host_.open_sheet(name, std::move(parm));
        show_session();  // the frame may have opened with it
        return opened;
    });
    driver.set_after_line([] { QApplication::processEvents(); });
    if (!options_.screenshot.empty())
        driver.set_screenshooter(
            [this](const std::string& name) { return save_screenshots(name); });
    const int failed = driver.run(script);
    const int errors = driver.screen_errors();
    if (failed || errors)
        std::fprintf(stderr, "tarvo: %d line(s) failed, the screens reported %d error(s)%s\n",
                     failed, errors, errors && options_.allow_errors ? " (allowed)" : "");
    return failed || (errors && !options_.allow_errors) ? 1 : 0;
}

std::vector<std::string> Desktop::save_screenshots(const std::string& name) {
    QDir().mkpath(QString::fromStdString(options_.screenshot));
    QApplication::processEvents();
    std::vector<std::string> saved;
    for (const auto& [window, widget] : presentation_->shown()) {
        const std::string file = options_.screenshot + "/" + name + "-" + window + ".png";
        if (widget->grab().save(QString::fromStdString(file))) saved.push_back(file);
    }
    return saved;
}

}  // namespace app
