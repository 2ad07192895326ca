#include "app/desktop.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "platform/runtime/replace_file.h"
#include "platform/runtime/script_driver.h"
#include "platform/ui/print_renderer.h"
#include "tools/tarvo-db/default_db.h"

namespace app {
namespace {

std::string login_name() {
    const char* user = std::getenv("USER");
    return user && *user ? user : "user";
}

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
      host_(app_) {
    host_.gs_username = options_.user.empty() ? login_name() : options_.user;
}

Desktop::~Desktop() = default;

int Desktop::fail(const std::string& message) {
    std::fprintf(stderr, "tarvo: %s\n", message.c_str());
    // Somebody looking at the screen sees it too (offscreen, nobody would).
    if (!options_.headless && QGuiApplication::platformName() != "offscreen")
        QMessageBox::critical(nullptr, "员工管理系统", QString::fromStdString(message));
    return 2;
}

bool Desktop::connect_database() {
    url_ = options_.db;
    try {
        // The embedded default database is prepared (tables, demo data) on first use.
        if (url_.empty()) {
            url_ = defaultdb::default_url();
            defaultdb::open_prepared(url_);
        } else if (options_.prepare) {
            defaultdb::open_prepared(url_);
        }
    } catch (const db::Error& e) {
        fail("无法准备数据库 " + db::masked(url_) + "：" + e.what());
        return false;
    }
    const std::string url =
        options_.prepare || options_.db.empty() ? url_ : db::existing_only(url_);
    if (host_.sqlca.connect(url) != 0) {
        fail("无法打开数据库 " + db::masked(url_) + "：" + host_.sqlca.reason());
        return false;
    }
    std::int64_t count = 0;
    if (host_.sqlca.select_count("SELECT count(*) FROM Employee", {}, count) != 0) {
        fail("数据库 " + db::masked(url_) + " 中没有可用的 Employee 表（" +
             host_.sqlca.sqlerrtext() + "）；用 --prepare 创建表");
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
    if (!start()) return 2;
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
    return true;
}

int Desktop::run_script() {
    std::ifstream script(options_.script);  // checked readable with the arguments
    std::unique_ptr<db::Connection> inspection;
    try {
        inspection = db::connect(url_);
    } catch (const db::Error& e) {
        return fail("无法打开数据库 " + db::masked(url_) + "：" + e.what());
    }
    runtime::ScriptDriver driver(app_, scripted_, std::cout);
    driver.set_database(inspection.get());
    driver.set_opener([this](std::string_view name, std::optional<std::string> parm) {
        if (name == "w_main") return &host_.w_main();
        return host_.open_sheet(name, std::move(parm));
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
