#include "platform/ui/qt_interaction.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <vector>

#include "platform/ui/name_icon_provider.h"
#include "platform/ui/presentation.h"

namespace ui {
namespace {

QString qt(const std::string& s) {
    return QString::fromStdString(s);
}

QMessageBox::Icon qt_icon(runtime::Icon icon) {
    switch (icon) {
        case runtime::Icon::information:
            return QMessageBox::Information;
        case runtime::Icon::stop_sign:
            return QMessageBox::Critical;
        case runtime::Icon::exclamation:
            return QMessageBox::Warning;
        case runtime::Icon::question:
            return QMessageBox::Question;
        case runtime::Icon::none:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonText {
    const char* text;
    QMessageBox::ButtonRole role;
};

// The buttons of a set, left to right: answers are their positions from 1.
std::vector<ButtonText> buttons_of(runtime::Buttons b) {
    using R = QMessageBox::ButtonRole;
    switch (b) {
        case runtime::Buttons::ok:
            return {{"确定", R::AcceptRole}};
        case runtime::Buttons::ok_cancel:
            return {{"确定", R::AcceptRole}, {"取消", R::RejectRole}};
        case runtime::Buttons::yes_no:
            return {{"是(&Y)", R::YesRole}, {"否(&N)", R::NoRole}};
        case runtime::Buttons::yes_no_cancel:
            return {{"是(&Y)", R::YesRole}, {"否(&N)", R::NoRole}, {"取消", R::RejectRole}};
        case runtime::Buttons::retry_cancel:
            return {{"重试(&R)", R::AcceptRole}, {"取消", R::RejectRole}};
        case runtime::Buttons::abort_retry_ignore:
            return {{"中止(&A)", R::RejectRole},
                    {"重试(&R)", R::AcceptRole},
                    {"忽略(&I)", R::AcceptRole}};
    }
    return {{"确定", R::AcceptRole}};
}

}  // namespace

QStringList qt_name_filters(const std::string& filter) {
    const QStringList parts = qt(filter).split(',');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts))
            patterns << p.trimmed();
        const QString listed = "(" + patterns.join(' ') + ")";
        // "图片文件(*.JPG)" names its patterns the way Qt reads them: shown as it is.
        out << (description.endsWith(listed) ? description : description + " " + listed);
    }
    if (out.isEmpty()) out << "* (*)";
    return out;
}

QString default_suffix(const std::string& extension, const std::string& filter, int chosen) {
    static const QRegularExpression plain("^[A-Za-z0-9]{1,8}$");
    const QString ext = qt(extension);
    if (plain.match(ext).hasMatch()) return ext;
    const QStringList parts = qt(filter).split(',');
    const int at = 2 * std::max(0, chosen) + 1;
    if (at < parts.size()) {
        const QString pattern = parts[at].split(';').first().trimmed();
        const int dot = pattern.lastIndexOf('.');
        if (dot >= 0 && plain.match(pattern.mid(dot + 1)).hasMatch()) return pattern.mid(dot + 1);
    }
    return {};
}

QWidget* QtInteraction::dialog_parent(const runtime::Window* asking) const {
    QWidget* parent = presentation_ ? presentation_->widget_for(asking) : nullptr;
    return parent ? parent : QApplication::activeWindow();
}

int QtInteraction::message_box(const runtime::MessageBoxRequest& request) {
    QMessageBox box(qt_icon(request.icon), qt(request.title), qt(request.text),
                    QMessageBox::NoButton, dialog_parent(request.window));
    box.setWindowModality(Qt::ApplicationModal);
    std::vector<QAbstractButton*> buttons;
    for (const ButtonText& b : buttons_of(request.buttons))
        buttons.push_back(box.addButton(QString::fromUtf8(b.text), b.role));
    const int count = static_cast<int>(buttons.size());
    const int default_button =
        request.default_button >= 1 && request.default_button <= count ? request.default_button : 1;
    box.setDefaultButton(static_cast<QPushButton*>(buttons[default_button - 1]));
    // Esc (or the close box) answers with the set's cancel button, else with the last one.
    box.setEscapeButton(buttons.back());
    box.exec();
    for (int i = 0; i < count; ++i)
        if (box.clickedButton() == buttons[i]) return i + 1;
    return count;
}

runtime::FileChoice QtInteraction::file_dialog(const runtime::FileDialogRequest& request) {
    return choose_file(request, dialog_parent(request.window));
}

runtime::FileChoice QtInteraction::choose_file(const runtime::FileDialogRequest& request,
                                               QWidget* parent) {
    const bool save = request.kind == runtime::FileDialogRequest::Kind::save;
    // Always Qt's own dialog, so that what it opens is ours to decide: it lists files by
    // name and never reads them (NameIconProvider), nor a folder's icon settings.
    NameIconProvider icons;
    QFileDialog dialog(parent, qt(request.title));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&icons);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // File names match the patterns without regard to case: "photo.jpg" is a "*.JPG".
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    const QStringList filters = qt_name_filters(request.filter);
    dialog.setNameFilters(filters);
    if (save) {
        // A name typed without an extension gets the one of the type chosen.
        dialog.setDefaultSuffix(default_suffix(request.default_extension, request.filter));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, &request, filters](const QString& chosen) {
                dialog.setDefaultSuffix(default_suffix(request.default_extension, request.filter,
                                                       static_cast<int>(filters.indexOf(chosen))));
            });
    }
    runtime::FileChoice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return choice;
    const QString path = dialog.selectedFiles().first();
    choice.result = 1;
    choice.path = path.toStdString();
    choice.name = QFileInfo(path).fileName().toStdString();
    return choice;
}

}  // namespace ui
