// An item model over a grid data window: one row per primary-buffer row, one column per grid
// column (titles as the horizontal header). It follows the data window's notifications
// exactly (inserts, removals, resets and the layout change of a sort come in pairs), so any
// Qt view can show the rows; it asks the data window for the visible cells only.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/datawindow/data_window.h"
#include "platform/runtime/signal.h"

namespace ui {

class DataWindowModel : public QAbstractTableModel {
  public:
    // Roles beyond Qt's: whether the runtime highlights the row.
    static constexpr int kSelectedRole = Qt::UserRole + 1;

    explicit DataWindowModel(runtime::DataWindow& dw, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The detail object shown in a column ("eid", "compute_1") and its title object.
    const std::string& detail_object(int column) const;
    const std::string& title_object(int column) const;
    // Width of a column in layout units.
    int column_width(int column) const;
    // How many cells a view has asked for so far (for measuring what a screenful costs).
    std::uint64_t cells_asked() const { return cells_asked_; }

  private:
    void rebuild_columns();
    void selection_changed(int row);

    struct Column {
        std::string title, title_object, detail_object;
        int width = 0;
    };
    runtime::DataWindow& dw_;
    std::vector<Column> columns_;
    runtime::SignalLinks links_;
    bool resetting_ = false;
    mutable std::uint64_t cells_asked_ = 0;
};

}  // namespace ui
