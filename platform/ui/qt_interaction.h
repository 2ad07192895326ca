// Message boxes, file dialogs and printing as Qt shows them: application-modal, with the
// asking window as their parent, Chinese button texts, the runtime's icons and default
// buttons.
// File-dialog filters are shown as the screens write them ("图片文件(*.JPG)") and match file
// names without regard to case, so "photo.jpg" is offered for "*.JPG".
#pragma once

#include <QString>
#include <QStringList>

class QWidget;
#include <string>

#include "platform/runtime/interaction.h"

namespace ui {

class Presentation;

class QtInteraction : public runtime::Interaction {
  public:
    // Dialogs find their parent through the presentation once it exists.
    void set_presentation(Presentation* p) { presentation_ = p; }

    int message_box(const runtime::MessageBoxRequest& request) override;
    runtime::FileChoice file_dialog(const runtime::FileDialogRequest& request) override;
    // Qt's print preview; its 打印 prints to a printer the system has (Qt's print dialog,
    // without its own file output), and 导出为 PDF, or 打印 where the system has no printer,
    // writes a PDF file chosen in this class's file dialog.
    runtime::PrintOutcome print(const runtime::PrintJob& job) override;

  private:
    // The dialog's parent: the asking window's widget, else the active window.
    QWidget* dialog_parent(const runtime::Window* asking) const;
    runtime::FileChoice choose_file(const runtime::FileDialogRequest& request, QWidget* parent);
    // 导出为 PDF: a file chosen in the file dialog, the job printed to it.
    runtime::PrintOutcome print_to_chosen_pdf(const runtime::PrintJob& job, QWidget* parent);

    Presentation* presentation_ = nullptr;
};

// "desc,pattern,desc,pattern" as Qt name filters ("desc (pattern)").
QStringList qt_name_filters(const std::string& filter);
// The suffix a save dialog adds to a name typed without one: the default extension when it
// is one ("JPG"), else the extension of the chosen filter's pattern (the first filter's by
// default: "*.xls" gives "xls").
QString default_suffix(const std::string& extension, const std::string& filter, int chosen = 0);

}  // namespace ui
