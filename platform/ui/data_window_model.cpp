#include "platform/ui/data_window_model.h"

#include <QBrush>
#include <QColor>
#include <QPalette>

namespace ui {
namespace {

QString qt(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

DataWindowModel::DataWindowModel(runtime::DataWindow& dw, QObject* parent)
    : QAbstractTableModel(parent), dw_(dw) {
    rebuild_columns();
    links_ += dw_.about_to_reset.connect([this] {
        beginResetModel();
        resetting_ = true;
    });
    links_ += dw_.reset_done.connect([this] {
        rebuild_columns();  // a new definition brings new columns
        resetting_ = false;
        endResetModel();
    });
    links_ += dw_.rows_about_to_be_inserted.connect(
        [this](int row, int n) { beginInsertRows({}, row - 1, row + n - 2); });
    links_ += dw_.rows_inserted.connect([this](int, int) { endInsertRows(); });
    links_ += dw_.rows_about_to_be_removed.connect(
        [this](int row, int n) { beginRemoveRows({}, row - 1, row + n - 2); });
    links_ += dw_.rows_removed.connect([this](int, int) { endRemoveRows(); });
    links_ += dw_.layout_about_to_change.connect([this] { emit layoutAboutToBeChanged(); });
    links_ += dw_.layout_changed.connect([this](const std::vector<int>& new_row_of) {
        const QModelIndexList old = persistentIndexList();
        QModelIndexList moved;
        for (const QModelIndex& i : old) {
            const int row = i.row() + 1;
            const int to = row < static_cast<int>(new_row_of.size()) ? new_row_of[row] : row;
            moved.push_back(index(to - 1, i.column()));
        }
        changePersistentIndexList(old, moved);
        emit layoutChanged();
    });
    links_ += dw_.item_changed.connect([this](int row, int) {
        emit dataChanged(index(row - 1, 0), index(row - 1, columnCount() - 1));
    });
    links_ += dw_.selection_changed.connect([this](int row) { selection_changed(row); });
    links_ += dw_.statuses_changed.connect([this] {
        if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    });
}

void DataWindowModel::rebuild_columns() {
    const runtime::Definition* def = dw_.definition();
    const int before = static_cast<int>(columns_.size());
    columns_.clear();
    if (def) {
        for (const auto& g : def->grid_columns) {
            Column c;
            c.title_object = g.title_object;
            c.detail_object = g.detail_object;
            if (const auto* t = def->object(g.title_object)) c.title = t->text;
            if (const auto* d = def->object(g.detail_object)) c.width = d->rect.width;
            columns_.push_back(std::move(c));
        }
    }
    if (!resetting_ && before != static_cast<int>(columns_.size()))
        emit headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
}

void DataWindowModel::selection_changed(int row) {
    if (rowCount() == 0) return;
    const int first = row > 0 ? row - 1 : 0;
    const int last = row > 0 ? row - 1 : rowCount() - 1;
    emit dataChanged(index(first, 0), index(last, columnCount() - 1),
                     {kSelectedRole, Qt::BackgroundRole, Qt::ForegroundRole});
}

int DataWindowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || resetting_ ? 0 : dw_.rowcount();
}

int DataWindowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant DataWindowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const int row = index.row() + 1;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole: {
            ++cells_asked_;
            auto text = dw_.display_text(row, columns_[index.column()].detail_object);
            return text ? qt(*text) : QVariant();
        }
        case kSelectedRole:
            return dw_.isselected(row);
        case Qt::BackgroundRole:
            if (dw_.isselected(row)) return QBrush(QPalette().color(QPalette::Highlight));
            return {};
        case Qt::ForegroundRole:
            if (dw_.isselected(row)) return QBrush(QPalette().color(QPalette::HighlightedText));
            return {};
        default:
            return {};
    }
}

QVariant DataWindowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < rowCount()) return section + 1;
        return {};
    }
    if (section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return qt(columns_[section].title);
    return {};
}

const std::string& DataWindowModel::detail_object(int column) const {
    return columns_.at(column).detail_object;
}

const std::string& DataWindowModel::title_object(int column) const {
    return columns_.at(column).title_object;
}

int DataWindowModel::column_width(int column) const {
    return columns_.at(column).width;
}

}  // namespace ui
