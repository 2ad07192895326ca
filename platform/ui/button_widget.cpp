#include "platform/ui/button_widget.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>

#include "platform/runtime/user_input.h"
#include "platform/ui/icons.h"
#include "platform/ui/keys.h"

namespace ui {

QColor runtime_colour(long long value) {
    if (value < 0 || value >= 0x1000000) return {};
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

ButtonWidget::ButtonWidget(runtime::CommandButton& button, QWidget* parent)
    : QPushButton(parent), button_(button) {
    // The runtime owns the focus: a click does not move Qt's focus before the runtime
    // agrees (a refused edit elsewhere keeps it).
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { runtime::user::press(button_); });
    link_ = button_.property_changed.connect([this](std::string_view) { refresh(); });
    refresh();
}

QColor ButtonWidget::colour(const char* property) const {
    auto v = button_.property(property);
    return v ? runtime_colour(std::stoll(*v)) : QColor();
}

void ButtonWidget::refresh() {
    setEnabled(button_.enabled());
    setVisible(button_.visible());
    setToolTip(QString::fromStdString(button_.tag()));
    setAccessibleName(QString::fromStdString(button_.text()).remove('&'));
    update();
}

void ButtonWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool down = isDown();
    const bool over = underMouse() && isEnabled();
    const char* back = down ? "backcolordown" : over ? "backcolorover" : "backcolor";
    const char* fore = down ? "fontcolordown" : over ? "fontcolorover" : "fontcolor";
    QColor background = colour(back);
    QColor text = colour(fore);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (!background.isValid()) {
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);
    } else {
        // A disabled button keeps its shape in a greyed version of its colour.
        if (!isEnabled()) background = QColor::fromHsv(background.hue(), 40, 215);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(background.darker(125));
        p.setBrush(background);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
    if (!isEnabled())
        text = QColor(128, 128, 128);
    else if (!text.isValid())
        text = palette().color(QPalette::ButtonText);

    // The icon of the state drawn, then the caption; the accelerator letter underlined.
    const char* icon_property = down ? "bkpicname" : over ? "movepicname" : "normalpicname";
    auto icon_file = button_.property(icon_property);
    QIcon icon = icon_file ? screen_icon(*icon_file) : QIcon();
    const int side = std::min(16, height() - 6);
    QRect area = rect().adjusted(4, 0, -4, 0);
    const QString caption = QString::fromStdString(button_.text());
    const int text_width = fontMetrics().horizontalAdvance(QString(caption).remove('&'));
    const int total = (icon.isNull() ? 0 : side + 4) + text_width;
    int x = area.left() + std::max(0, (area.width() - total) / 2);
    if (!icon.isNull()) {
        icon.paint(&p, QRect(x, (height() - side) / 2, side, side), Qt::AlignCenter,
                   isEnabled() ? QIcon::Normal : QIcon::Disabled);
        x += side + 4;
    }
    p.setPen(text);
    p.drawText(QRect(x, 0, area.right() - x + 1, height()),
               Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, caption);
    if (hasFocus()) {
        // The keyboard focus: a dotted frame inside the edge, in the caption's colour.
        QPen frame(text, 1, Qt::DotLine);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(frame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

void ButtonWidget::focusInEvent(QFocusEvent* e) {
    QPushButton::focusInEvent(e);
    update();
}

void ButtonWidget::focusOutEvent(QFocusEvent* e) {
    QPushButton::focusOutEvent(e);
    update();
}

void ButtonWidget::keyPressEvent(QKeyEvent* e) {
    runtime::Window* w = button_.parent();
    // Space is Qt's own press (clicked follows on release); other keys are the runtime's.
    if (!w || !runtime_takes(*e, KeyTarget::button)) return QPushButton::keyPressEvent(e);
    runtime::user::key(*w, runtime_key(*e), runtime_flags(*e));
}

}  // namespace ui
