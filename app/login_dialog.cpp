#include "app/login_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {
namespace {

QString qt(const std::string& s) {
    return QString::fromStdString(s);
}

QString server_of(const db::PasswordNeeded::Login& login) {
    QString where = qt(login.host);
    if (!login.port.empty()) where += ":" + qt(login.port);
    if (!login.dbname.empty()) where += " / " + qt(login.dbname);
    return where;
}

}  // namespace

std::optional<login::Answer> ask_in_dialog(const db::PasswordNeeded& why) {
    QDialog dialog;
    dialog.setObjectName("login");
    dialog.setWindowTitle("登录数据库");
    auto* form = new QFormLayout;
    form->addRow("服务器：", new QLabel(server_of(why.login())));
    form->addRow("用户：", new QLabel(qt(why.login().user)));
    auto* password = new QLineEdit;
    password->setObjectName("password");
    password->setEchoMode(QLineEdit::Password);
    form->addRow("密码：", password);
    auto* remember = new QCheckBox("保存密码（保存在本机的密码文件中，仅本人可读）");
    remember->setObjectName("remember");
    form->addRow(remember);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton("登录", QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton("取消", QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    if (why.refused()) {
        auto* refused = new QLabel("密码不正确，请重新输入。");
        refused->setObjectName("refused");
        refused->setStyleSheet("color: #b00000");
        layout->addWidget(refused);
    }
    layout->addLayout(form);
    layout->addWidget(buttons);
    password->setFocus();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return login::Answer{password->text().toStdString(), remember->isChecked()};
}

}  // namespace app
