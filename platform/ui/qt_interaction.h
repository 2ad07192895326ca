// Message boxes and file dialogs as Qt shows them: application-modal, with the asking
// window as their parent, Chinese button texts, the runtime's icons and default buttons.
// File-dialog filters are shown as the screens write them ("图片文件(*.JPG)") and match file
// names without regard to case, so "photo.jpg" is offered for "*.JPG".
#pragma once

#include <QString>
#include <QStringList>
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

  private:
    Presentation* presentation_ = nullptr;
};

// "desc,pattern,desc,pattern" as Qt name filters ("desc (pattern)").
QStringList qt_name_filters(const std::string& filter);
// The suffix a save dialog adds to a name typed without one: the default extension when it
// is one ("JPG"), else the extension of the chosen filter's pattern (the first filter's by
// default: "*.xls" gives "xls").
QString default_suffix(const std::string& extension, const std::string& filter, int chosen = 0);

}  // namespace ui
