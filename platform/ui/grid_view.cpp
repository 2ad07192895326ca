#include "platform/ui/grid_view.h"

#include <QHash>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QToolTip>

#include "platform/runtime/user_input.h"
#include "platform/ui/keys.h"
#include "platform/ui/units.h"

namespace ui {
namespace {

// Draws a cell as the grid shows it: the runtime's highlight as the background, the text on
// one line, ending in "…" where the column is too narrow for it (the whole text is then the
// cell's tooltip). Much less work a cell than the general item delegate (no decoration,
// check box or word wrap, each of which lays the text out again), and a text laid out once
// is drawn again from its layout: columns such as sex, school or province repeat a few
// texts over thousands of rows, and scrolling repaints screenfuls of them.
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
        const QRect area = text_area(option.rect);
        const QStaticText& laid_out = fitted(text, option.font, area.width());
        p->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const int top =
            area.top() + (area.height() - static_cast<int>(laid_out.size().height())) / 2;
        // Clipped only where the text does not fit: most cells need no painter state saved.
        const QSizeF size = laid_out.size();
        if (size.width() <= area.width() && size.height() <= area.height()) {
            p->drawStaticText(area.left(), top, laid_out);
            return;
        }
        p->save();
        p->setClipRect(area, Qt::IntersectClip);
        p->drawStaticText(area.left(), top, laid_out);
        p->restore();
    }

    // The whole text as a tooltip, for a cell that does not show all of it.
    bool helpEvent(QHelpEvent* e, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (e->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(e, view, option, index);
        const QString text = index.data(Qt::ToolTipRole).toString();
        if (text.isEmpty() || !cut(text, option.font, text_area(option.rect).width())) {
            QToolTip::hideText();
            return true;
        }
        QToolTip::showText(e->globalPos(), text, view->viewport(), option.rect);
        return true;
    }

    // Whether a text is too wide for `width` pixels.
    bool cut(const QString& text, const QFont& font, int width) const {
        return layout_of(text, font).size().width() > width;
    }

  private:
    static QRect text_area(const QRect& cell) { return cell.adjusted(3, 0, -3, 0); }

    // The text laid out, or its elided form when it does not fit.
    const QStaticText& fitted(const QString& text, const QFont& font, int width) const {
        const QStaticText& whole = layout_of(text, font);
        if (whole.size().width() <= width) return whole;
        const QString key = text + QChar(0) + QString::number(width);
        auto it = elided_.find(key);
        if (it == elided_.end()) {
            if (elided_.size() >= 4096) elided_.clear();
            it = elided_.insert(key, QFontMetrics(font).elidedText(text, Qt::ElideRight, width));
        }
        return layout_of(it.value(), font);
    }
    const QStaticText& layout_of(const QString& text, const QFont& font) const {
        if (font != font_) {
            cache_.clear();
            elided_.clear();
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
    mutable QHash<QString, QString> elided_;  // (text, width) -> the text ending in "…"
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
    setTabKeyNavigation(false);  // Tab is the window's (the runtime's tab order), not a cell's
    verticalHeader()->hide();    // the definition's own row-number column counts the rows
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    // The user drags column borders wider or narrower; a narrow "No." stays possible.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(8);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { title_clicked(section); });
    apply_layout();

    runtime::DataWindow& dw = control_.data();
    links_ += dw.reset_done.connect([this] { apply_layout(); });
    links_ += dw.current_changed.connect([this](int row, int) {
        viewport()->update();  // the current row's outline moves
        if (row <= 0) return;
        // scrolltorow makes the row visible; the columns stay as the user scrolled them.
        const int columns_at = horizontalScrollBar()->value();
        scrollTo(model_.index(row - 1, 0));
        horizontalScrollBar()->setValue(columns_at);
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
    // The designed widths for new columns; a search keeps the widths the user dragged.
    if (def != widths_of_ || horizontalHeader()->count() != widths_count_) {
        for (int c = 0; c < model_.columnCount(); ++c)
            setColumnWidth(c, px_x(model_.column_width(c)));
        widths_of_ = def;
        widths_count_ = model_.columnCount();
    }
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
    runtime::Window* w = control_.parent();
    if (!w || !runtime_takes(*e, KeyTarget::grid)) return QTableView::keyPressEvent(e);
    // The runtime moves the current row (through ue_key and scrolltorow); Qt's own arrow
    // handling stays out, so nothing happens twice.
    runtime::user::key(*w, runtime_key(*e), runtime_flags(*e));
}

void GridView::focusInEvent(QFocusEvent* e) {
    QTableView::focusInEvent(e);
    viewport()->update();
    if (!control_.has_focus()) runtime::user::focus(control_);
}

void GridView::focusOutEvent(QFocusEvent* e) {
    QTableView::focusOutEvent(e);
    viewport()->update();
}

QRect GridView::current_row_rect() const {
    const int row = control_.getrow() - 1;
    const int columns = model_.columnCount();
    if (row < 0 || row >= model_.rowCount() || columns == 0) return {};
    const int left = columnViewportPosition(0);
    const int right = columnViewportPosition(columns - 1) + columnWidth(columns - 1);
    return QRect(left, rowViewportPosition(row), right - left, rowHeight(row))
        .intersected(viewport()->rect());
}

void GridView::paintEvent(QPaintEvent* e) {
    QTableView::paintEvent(e);
    // With the keyboard focus, the current row (where the keys and Enter work) is outlined,
    // in a colour that shows on the highlight too.
    const QRect current = current_row_rect();
    if (!hasFocus() || current.isEmpty()) return;
    QPainter p(viewport());
    const bool selected = control_.isselected(control_.getrow());
    QPen pen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawRect(current.adjusted(0, 0, -1, -1));
}

}  // namespace ui
