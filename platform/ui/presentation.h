// The desktop presentation of an application's windows: a frame window (w_main) becomes a
// main window with its menu bar and an MDI area, its sheets sub-windows inside it, any other
// window a window of its own. Windows appear when the runtime opens them and go when it
// closes them; the close box of a window asks the runtime, so closequery runs once however
// the close began. The sheet the user brings forward is the frame's active sheet.
#pragma once

#include <QObject>
#include <QPointer>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/application.h"
#include "platform/runtime/signal.h"
#include "platform/ui/window_memory.h"

class QMainWindow;
class QMdiArea;
class QMenu;
class QWidget;

namespace ui {

class WindowView;

class Presentation : public QObject {
  public:
    explicit Presentation(runtime::Application& app);
    ~Presentation() override;

    // The top-level widget that shows a runtime window (the sub-window for a sheet), or null.
    QWidget* widget_for(const runtime::Window* w) const;
    WindowView* view_for(const runtime::Window* w) const;
    // Windows shown now, by class name, in opening order (frames include their sheets).
    std::vector<std::pair<std::string, QWidget*>> shown() const;

    // Frames take the place and size they had when last closed, kept in `file`.
    void remember_frames(const QString& file);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Shown {
        QPointer<QWidget> top;  // what the user sees: main window, sub-window or window
        WindowView* view = nullptr;
        QMdiArea* mdi = nullptr;  // frames only
    };
    void opened(runtime::Window& w);
    void open_frame(runtime::Window& w, Shown& s);
    void open_sheet(runtime::Window& w, QMdiArea* mdi, Shown& s);
    void closed(runtime::Window& w);
    void keep_frame_geometry(const runtime::Window& w, const QWidget& frame) const;
    // The runtime window a sub-window shows, or null.
    runtime::Window* window_of(const QWidget* top) const;
    // Brings a sheet's sub-window to the front of its frame.
    void show_active(runtime::Window& sheet);
    void arrange(const runtime::Window& frame, runtime::Arrange how);
    // The frame's menu bar (presentation_menu.cpp); the sheets listed in `menu`.
    void build_menu_bar(QMainWindow& frame, runtime::Window& w);
    void list_sheets(QMenu& menu, const runtime::Window* frame);
    // Chooses a menu item, when the frame is still shown.
    void choose(const runtime::Window* frame, const std::string& path);
    // Whether Alt+letter opens one of the menus of the frame that `receiver` is in.
    bool menu_letter(QWidget* receiver, int letter) const;

    runtime::Application& app_;
    std::optional<WindowMemory> memory_;
    std::map<const runtime::Window*, Shown> shown_;
    std::vector<const runtime::Window*> order_;
    runtime::SignalLinks links_;
};

}  // namespace ui
