// The desktop presentation of an application's windows: a frame window (w_main) becomes a
// main window with an MDI area, its sheets sub-windows inside it, any other window a window
// of its own. Windows appear when the runtime opens them and go when it closes them; the
// close box of a window asks the runtime, so closequery runs once however the close began.
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
    void closed(runtime::Window& w);
    void keep_frame_geometry(const runtime::Window& w, const QWidget& frame) const;

    runtime::Application& app_;
    std::optional<WindowMemory> memory_;
    std::map<const runtime::Window*, Shown> shown_;
    std::vector<const runtime::Window*> order_;
    runtime::Connections links_;
};

}  // namespace ui
