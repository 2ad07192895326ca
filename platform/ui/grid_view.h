// The grid presentation of a data-window control: a QTableView over a DataWindowModel. Mouse
// clicks, double clicks, title clicks and keys go to the runtime through the user-input
// layer, once each; the highlight and the current row are the runtime's, which the view
// only shows (Qt's own selection and key handling are off), the current row outlined while
// the grid has the focus. Columns start at their designed widths and the user may drag
// them; a text cut by its column ends in "…" and shows whole as the cell's tooltip.
#pragma once

#include <QTableView>

#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/signal.h"
#include "platform/ui/data_window_model.h"

namespace ui {

class GridView : public QTableView {
  public:
    GridView(runtime::DataWindowControl& control, QWidget* parent);

    runtime::DataWindowControl& control() const { return control_; }
    DataWindowModel& model_adapter() { return model_; }

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

  private:
    void apply_layout();
    // The visible part of the current row, in viewport pixels; empty when none shows.
    QRect current_row_rect() const;
    void title_clicked(int section);
    // The data row and detail object under a point of the viewport (row 0 off the rows).
    std::pair<int, std::string> hit(const QPoint& pos) const;

    runtime::DataWindowControl& control_;
    DataWindowModel model_;
    // The definition and column count the designed widths were last set for.
    const runtime::Definition* widths_of_ = nullptr;
    int widths_count_ = -1;
    runtime::SignalLinks links_;
};

}  // namespace ui
