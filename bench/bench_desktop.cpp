// The desktop program: start-up until the employee list is shown, and a search that shows
// 100,000 employees and scrolls them from top to bottom, against the same search made on
// the headless runtime (no presentation). Offscreen Qt; one run, ratios printed.
#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <cstdio>
#include <memory>

#include "app/desktop.h"
#include "bench/support/demo_db.h"
#include "bench/support/ratio.h"
#include "platform/runtime/user_input.h"
#include "platform/ui/grid_view.h"
#include "platform/ui/qt_setup.h"
#include "platform/ui/window_view.h"
#include "schema/demo_data.h"

namespace {

constexpr int kRows = 100000;

const std::string& database_path() {
    return bench_support::demo_database(
        "desktop", [](db::Connection& conn) { schema::fill_employees(conn, kRows, 0); });
}

app::Options options(bool headless) {
    app::Options o;
    o.db = "sqlite:" + database_path();
    o.library = TARVO_SCREENS_MODULE;
    o.drive_c = (std::filesystem::temp_directory_path() / "tarvo-bench-drive_c").string();
    o.headless = headless;
    return o;
}

// Presses the list's query button with both boxes empty: every employee is retrieved.
void search_all(runtime::Application& app) {
    runtime::Window* list = app.find_open("w_employee");
    runtime::user::press(list->control_as<runtime::CommandButton>("cb_1"));
}

void BM_StartupToListShown(benchmark::State& state) {
    for (auto _ : state) {
        app::Desktop desktop(options(false));
        if (!desktop.start()) return state.SkipWithError("the program did not start");
        QApplication::processEvents();  // laid out and painted
        benchmark::DoNotOptimize(desktop.presentation()->shown().size());
    }
}

void BM_HeadlessSearch(benchmark::State& state) {
    app::Desktop desktop(options(true));
    if (!desktop.start()) return state.SkipWithError("the program did not start");
    desktop.host().open_sheet("w_employee", std::nullopt);
    for (auto _ : state) search_all(desktop.application());
}

double g_cells_per_screen = 0;
int g_rows_per_screen = 0;

void BM_ShownSearchAndScroll(benchmark::State& state) {
    app::Desktop desktop(options(false));
    if (!desktop.start()) return state.SkipWithError("the program did not start");
    runtime::Window* list = desktop.application().find_open("w_employee");
    auto* grid = dynamic_cast<ui::GridView*>(
        desktop.presentation()->view_for(list)->widget_of(list->control("dw_1")));
    QApplication::processEvents();
    std::uint64_t screens = 0, asked = 0;
    for (auto _ : state) {
        search_all(desktop.application());
        QScrollBar* bar = grid->verticalScrollBar();
        // Top to bottom in 40 even steps, each painted.
        for (int step = 0; step <= 40; ++step) {
            const std::uint64_t before = grid->model_adapter().cells_asked();
            bar->setValue(bar->maximum() * step / 40);
            grid->viewport()->repaint();
            asked += grid->model_adapter().cells_asked() - before;
            ++screens;
        }
        if (grid->model()->rowCount() != kRows) state.SkipWithError("wrong row count");
    }
    g_cells_per_screen = screens ? static_cast<double>(asked) / screens : 0;
    g_rows_per_screen = grid->viewport()->height() / std::max(1, grid->rowHeight(0));
}

BENCHMARK(BM_StartupToListShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadlessSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShownSearchAndScroll)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The main window's place is kept away from the user's own settings.
    const auto config = std::filesystem::temp_directory_path() /
                        ("tarvo-bench-config-" + std::to_string(getpid()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.string()));
    QApplication qt(argc, argv);
    ui::prepare_qt_application();
    database_path();  // made before the clock starts
    int rc = bench_support::run_with_ratios(
        argc, argv, {{"BM_ShownSearchAndScroll", "BM_HeadlessSearch", 1.5}});
    std::printf("cells the grid asked for per screenful: %.0f (a screenful shows %d rows)\n",
                g_cells_per_screen, g_rows_per_screen);
    bench_support::remove_demo_database(database_path());
    std::filesystem::remove_all(config);
    return rc;
}
