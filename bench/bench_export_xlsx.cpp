// The export of 100,000 employees to an Excel workbook (saveasxlsx on d_employee) against
// writing the same cells with libxlsxwriter directly, from texts made beforehand, with the
// same options and formats; in one run. Prints the ratio (goal: at most 1.3).
#include <xlsxwriter.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/demo_db.h"
#include "bench/support/ratio.h"
#include "platform/runtime/datawindow/data_window.h"
#include "platform/runtime/transaction.h"
#include "schema/demo_data.h"
#include "screens/definitions/employee_record.h"

namespace {

constexpr int kRows = 100000;

const std::string& database_path() {
    return bench_support::demo_database(
        "xlsx", [](db::Connection& conn) { schema::fill_employees(conn, kRows, 0); });
}

std::filesystem::path output(const char* name) {
    return std::filesystem::temp_directory_path() /
           ("tarvo-bench-" + std::to_string(getpid()) + "-" + name + ".xlsx");
}

// The list's rows retrieved once, and the cells they make, read before the clock starts.
struct Listed {
    runtime::Transaction sqlca;
    runtime::DataWindow dw{screens::d_employee()};
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> rows;  // as shown
    Listed() {
        sqlca.connect("sqlite:" + database_path());
        dw.settransobject(&sqlca);
        dw.retrieve();
        titles = dw.titles();
        for (int r = 1; r <= dw.rowcount(); ++r) rows.push_back(dw.row_as_displayed(r));
    }
};

Listed& listed() {
    static Listed l;
    return l;
}

void BM_DataWindowXlsx(benchmark::State& state) {
    Listed& l = listed();
    const auto path = output("datawindow");
    for (auto _ : state)
        if (l.dw.saveasxlsx(path.string(), "员工管理") != 1) state.SkipWithError("not written");
    std::filesystem::remove(path);
}

// The same workbook with the library alone: the texts as strings, the row number as a
// number, the birth dates as dates, the same column widths and frozen header.
void BM_BareXlsxwriter(benchmark::State& state) {
    Listed& l = listed();
    const auto path = output("bare");
    constexpr int kBorn = 4;  // the grid's column of birth dates
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(wb, "员工管理");
        lxw_format* bold = workbook_add_format(wb);
        format_set_bold(bold);
        lxw_format* as_text = workbook_add_format(wb);
        format_set_num_format(as_text, "@");
        lxw_format* as_date = workbook_add_format(wb);
        format_set_num_format(as_date, "yyyy-mm-dd hh:mm:ss");
        for (std::size_t c = 0; c < l.titles.size(); ++c)
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), l.titles[c].c_str(), bold);
        for (std::size_t r = 0; r < l.rows.size(); ++r) {
            const auto row = static_cast<lxw_row_t>(r + 1);
            worksheet_write_number(sheet, row, 0, static_cast<double>(r + 1), nullptr);
            for (std::size_t c = 1; c < l.rows[r].size(); ++c) {
                const std::string& text = l.rows[r][c];
                if (text.empty()) continue;
                if (static_cast<int>(c) == kBorn) {
                    lxw_datetime when{};
                    when.year = std::stoi(text.substr(0, 4));
                    when.month = static_cast<uint8_t>(std::stoi(text.substr(5, 2)));
                    when.day = static_cast<uint8_t>(std::stoi(text.substr(8, 2)));
                    worksheet_write_datetime(sheet, row, static_cast<lxw_col_t>(c), &when, as_date);
                    continue;
                }
                worksheet_write_string(sheet, row, static_cast<lxw_col_t>(c), text.c_str(),
                                       as_text);
            }
        }
        for (std::size_t c = 0; c < l.titles.size(); ++c)
            worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), 12,
                                 nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        if (workbook_close(wb) != LXW_NO_ERROR) state.SkipWithError("not written");
    }
    std::filesystem::remove(path);
}

BENCHMARK(BM_BareXlsxwriter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataWindowXlsx)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    listed();  // the database and the rows, before the clock starts
    const int rc = bench_support::run_with_ratios(
        argc, argv, {{"BM_DataWindowXlsx", "BM_BareXlsxwriter", 1.3}});
    bench_support::remove_demo_database(database_path());
    return rc;
}
