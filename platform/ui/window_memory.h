// Where the main window stood and how big it was, kept between runs in a settings file of
// the user's (the usual place: ~/.config/tarvo/desktop.conf).
#pragma once

#include <QString>

class QWidget;

namespace ui {

class WindowMemory {
  public:
    explicit WindowMemory(QString file) : file_(std::move(file)) {}

    // The file under the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
    static QString default_file();

    // Gives `window` the place and size kept under `name`; false when none is kept (or what
    // is kept cannot be used), and the window is left as it is.
    bool restore(const QString& name, QWidget& window) const;
    // Keeps the place and size of `window` (maximised or not) under `name`.
    void save(const QString& name, const QWidget& window) const;

  private:
    QString file_;
};

}  // namespace ui
