#include "platform/ui/grid_view.h"

#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStaticText>
#include <QStyledItemDelegate>

#include "platform/runtime/user_input.h"
#include "platform/ui/keys.h"
#include "platform/ui/units.h"

namespace ui {
namespace {

// Draws a cell as the grid shows it: the runtime's highlight as the background, the text on
// one line, cut at the column's edge when the column is too narrow. Much less work a cell
// than the general item delegate (no decoration, check box, word wrap or ellipsis, each of
// which lays the text out again), and a text laid out once is drawn again from its layout:
// columns such as sex, school or province repeat a few texts over thousands of rows, and
// scrolling repaints screenfuls of them.
class CellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = index.data(DataWindowModel::kSelectedRole).toBool();
        const QPalette& pal = option.palette;
        if (selected) p->fillRect(option.rect, pal.brush(QPalette::Highlight));
        const QString text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty()) return;
        const QRect area = option.rect.adjusted(3, 0, -3, 0);
        const QStaticText& laid_out = layout_of(text, option.font);
        p->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const int top =
            area.top() + (area.height() - static_cast<int>(laid_out.size().height())) / 2;
        if (laid_out.size().width() <= area.width()) {
            p->drawStaticText(area.left(), top, laid_out);
        } else {
            p->save();
            p->setClipRect(area, Qt::IntersectClip);
            p->drawStaticText(area.left(), top, laid_out);
            p->restore();
        }
    }

  private:
    const QStaticText& layout_of(const QString& text, const QFont& font) const {
        if (font != font_) {
            cache_.clear();
            font_ = font;
        }
        auto it = cache_.find(text);
        if (it != cache_.end()) return it.value();
        if (cache_.size() >= 4096) cache_.clear();  // bounded: unique texts do not pile up
        QStaticText laid_out(text);
        laid_out.setTextFormat(Qt::PlainText);
        laid_out.setPerformanceHint(QStaticText::AggressiveCaching);
        laid_out.prepare(QTransform(), font);
        return cache_.insert(text, laid_out).value();
    }
    mutable QHash<QString, QStaticText> cache_;
    mutable QFont font_;
};

}  // namespace

GridView::GridView(runtime::DataWindowControl& control, QWidget* parent)
    : QTableView(parent), control_(control), model_(control.data()) {
    setModel(&model_);
    setItemDelegate(new CellDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);  // the runtime highlights rows
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::StrongFocus);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();  // the definition's own row-number column counts the rows
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { title_clicked(section); });
    apply_layout();

    runtime::DataWindow& dw = control_.data();
    links_ += dw.reset_done.connect([this] { apply_layout(); });
    links_ += dw.current_changed.connect([this](int row, int) {
        if (row > 0) scrollTo(model_.index(row - 1, 0));  // scrolltorow makes it visible
    });
    links_ += control_.property_changed.connect([this](std::string_view p) {
        if (p == "hscrollbar" || p == "vscrollbar") apply_layout();
    });
}

void GridView::apply_layout() {
    const runtime::Definition* def = control_.definition();
    if (def) {
        verticalHeader()->setDefaultSectionSize(px_y(def->band_height(runtime::Band::detail)));
        horizontalHeader()->setFixedHeight(px_y(def->band_height(runtime::Band::header)));
    }
    for (int c = 0; c < model_.columnCount(); ++c) setColumnWidth(c, px_x(model_.column_width(c)));
    setHorizontalScrollBarPolicy(control_.hscrollbar() ? Qt::ScrollBarAsNeeded
                                                       : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(control_.vscrollbar() ? Qt::ScrollBarAsNeeded
                                                     : Qt::ScrollBarAlwaysOff);
}

std::pair<int, std::string> GridView::hit(const QPoint& pos) const {
    const QModelIndex i = indexAt(pos);
    const int column = i.isValid() ? i.column() : columnAt(pos.x());
    std::string object = column >= 0 ? model_.detail_object(column) : std::string();
    return {i.isValid() ? i.row() + 1 : 0, object};
}

void GridView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    auto [row, object] = hit(e->position().toPoint());
    runtime::user::click(control_, row, object);
}

void GridView::mouseReleaseEvent(QMouseEvent*) {
    // The press was the click; Qt's release handling would select cells of its own.
}

void GridView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    // Qt sends press, release, double click, release: the first press ran clicked already.
    auto [row, object] = hit(e->position().toPoint());
    runtime::user::double_click(control_, row, object);
}

void GridView::title_clicked(int section) {
    if (section < 0 || section >= model_.columnCount()) return;
    runtime::user::click(control_, 0, model_.title_object(section));
}

void GridView::keyPressEvent(QKeyEvent* e) {
    const int code = runtime_key(*e);
    runtime::Window* w = control_.parent();
    if (!code || !w) return QTableView::keyPressEvent(e);
    // The runtime moves the current row (through ue_key and scrolltorow); Qt's own arrow
    // handling stays out, so nothing happens twice.
    runtime::user::key(*w, code, runtime_flags(*e));
}

void GridView::focusInEvent(QFocusEvent* e) {
    QTableView::focusInEvent(e);
    if (!control_.has_focus()) runtime::user::focus(control_);
}

}  // namespace ui
