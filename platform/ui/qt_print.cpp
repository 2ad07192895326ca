// Printing through Qt: the preview first; then a printer the system has, or a PDF file.
#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QToolBar>

#include "platform/ui/print_renderer.h"
#include "platform/ui/qt_interaction.h"

namespace ui {
namespace {

// The preview dialog's own print action, found by its text; null when there is none.
QAction* preview_print_action(QPrintPreviewDialog& preview) {
    const QString text = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction* a : preview.findChildren<QAction*>())
        if (a->text() == text) return a;
    return nullptr;
}

}  // namespace

runtime::PrintOutcome QtInteraction::print_to_chosen_pdf(const runtime::PrintJob& job,
                                                         QWidget* parent) {
    runtime::FileDialogRequest request;
    request.kind = runtime::FileDialogRequest::Kind::save;
    request.title = "导出为 PDF";
    request.default_extension = "pdf";
    request.filter = "PDF 文件(*.pdf),*.pdf";
    request.window = job.window;
    const runtime::FileChoice choice = choose_file(request, parent);
    if (choice.result != 1) return {0, ""};
    return print_to_pdf(job, choice.path);
}

runtime::PrintOutcome QtInteraction::print(const runtime::PrintJob& job) {
    PrintRenderer renderer(job);
    QPrinter printer(QPrinter::HighResolution);
    renderer.set_up_page(printer);
    printer.setDocName(QString::fromStdString(job.title));
    QPrintPreviewDialog preview(&printer, dialog_parent(job.window));
    preview.setWindowModality(Qt::ApplicationModal);
    preview.setWindowTitle("打印预览：" + QString::fromStdString(job.title));
    if (const QScreen* screen = preview.screen())  // room to read a page
        preview.resize(screen->availableGeometry().size() * 0.8);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&renderer](QPrinter* p) { renderer.paint(*p); });

    runtime::PrintOutcome outcome;
    auto finish = [&](const runtime::PrintOutcome& o) {
        outcome = o;
        if (o.result != 0) preview.accept();
    };
    auto to_pdf = [&] { finish(print_to_chosen_pdf(job, &preview)); };
    // Qt's print dialog without its own output to a file: files are written by this class
    // (whole, and never the open database), through its own file dialog.
    auto to_printer = [&] {
        if (QPrinterInfo::availablePrinters().isEmpty()) return to_pdf();
        printer.setOutputFormat(QPrinter::NativeFormat);
        QPrintDialog dialog(&printer, &preview);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        if (dialog.exec() != QDialog::Accepted) return;
        finish(renderer.paint(printer) ? runtime::PrintOutcome{1, ""}
                                       : runtime::PrintOutcome{-1, "打印机没有接受打印任务"});
    };
    if (QAction* print_action = preview_print_action(preview)) {
        QObject::disconnect(print_action, &QAction::triggered, nullptr, nullptr);
        QObject::connect(print_action, &QAction::triggered, &preview, to_printer);
    }
    if (auto* toolbar = preview.findChild<QToolBar*>()) {
        toolbar->addSeparator();
        QAction* pdf = toolbar->addAction(QIcon::fromTheme("document-save-as"), "导出为 PDF");
        pdf->setObjectName("export_pdf");
        pdf->setToolTip("导出为 PDF 文件");
        QObject::connect(pdf, &QAction::triggered, &preview, to_pdf);
    }
    preview.exec();
    return outcome;
}

}  // namespace ui
