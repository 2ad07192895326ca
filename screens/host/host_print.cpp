// The host's printing: a window's data window as a record card (a free form) or a table (a
// grid), through the runtime's print service.
#include <algorithm>

#include "platform/runtime/datawindow_control.h"
#include "screens/host/host.h"

namespace host {
namespace {

runtime::DataWindowControl* printed_data_window(runtime::Window& w) {
    for (runtime::Control* c : w.controls())
        if (auto* dw = dynamic_cast<runtime::DataWindowControl*>(c); dw && dw->definition())
            return dw;
    return nullptr;
}

// The file of the definition's first picture, as a path of this machine; "" for none (and
// never the open database's file, which only SQLite may open).
std::string picture_of(runtime::DataWindowControl& dw, runtime::Files& files) {
    for (const runtime::ObjectDef& o : dw.definition()->objects) {
        if (o.kind != runtime::ObjectKind::picture) continue;
        const std::string file = dw.data().picture_filename(o.name);
        if (file.empty() || files.is_database_file(file)) return "";
        return files.map(file).string();
    }
    return "";
}

}  // namespace

int Host::print_window(runtime::Window& w) {
    runtime::DataWindowControl* dw = printed_data_window(w);
    if (!dw) {
        f_showinfo("该窗口没有可打印的内容");
        return -1;
    }
    // What is still being typed is printed as typed; a refused value is told and not printed.
    if (dw->accepttext() != 1) return -1;
    runtime::DataWindow& data = dw->data();
    const runtime::Definition& def = *dw->definition();
    runtime::PrintJob job;
    job.title = w.title();
    job.titles = data.titles();
    job.rows = data.rowcount();
    job.row = [&data](int row) { return data.row_as_displayed(row); };
    const int current = std::max(1, dw->getrow());
    if (def.style == runtime::PresentationStyle::grid) {
        job.layout = runtime::PrintJob::Layout::table;
        for (const auto& g : def.grid_columns) {
            const runtime::ObjectDef* o = def.object(g.detail_object);
            job.widths.push_back(o ? o->rect.width : 0);
        }
    } else {
        job.layout = runtime::PrintJob::Layout::card;
        job.rows = std::min(job.rows, 1);  // the current record (a form holds one)
        job.row = [&data, current](int) { return data.row_as_displayed(current); };
        job.picture = picture_of(*dw, app_.files());
    }
    const runtime::PrintOutcome outcome = app_.print(&w, std::move(job));
    if (outcome.result == -1)
        f_showerror("打印失败" + (outcome.reason.empty() ? "" : "：" + outcome.reason));
    return outcome.result;
}

}  // namespace host
