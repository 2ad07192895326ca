#include "platform/ui/free_form_view.h"

#include <QComboBox>
#include <QEvent>
#include <QImageReader>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QValidator>

#include "platform/runtime/application.h"
#include "platform/runtime/user_input.h"
#include "platform/runtime/window.h"
#include "platform/ui/button_widget.h"
#include "platform/ui/fonts.h"
#include "platform/ui/units.h"

namespace ui {
namespace {

QString qt(const std::string& s) {
    return QString::fromStdString(s);
}

// Refuses a keystroke that would give the field more than it takes.
class TypingValidator : public QValidator {
  public:
    TypingValidator(const runtime::DataWindow& dw, int column, QObject* parent)
        : QValidator(parent), dw_(dw), column_(column) {}
    State validate(QString& input, int&) const override {
        return dw_.check_typing(input.toStdString(), column_) ? Invalid : Acceptable;
    }

  private:
    const runtime::DataWindow& dw_;
    int column_;
};

// A date entry through its mask ("____-__-__"). A click puts the cursor no further than the
// first blank of the mask, so digits typed after a click into an empty field fill it from
// the start instead of landing at the click and running out of room.
class MaskedEdit : public QLineEdit {
  public:
    MaskedEdit(const QString& mask, QWidget* parent) : QLineEdit(parent) { setInputMask(mask); }

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        QLineEdit::mousePressEvent(e);
        to_first_blank();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        QLineEdit::mouseReleaseEvent(e);
        to_first_blank();
    }
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        to_first_blank();
    }

  private:
    void to_first_blank() {
        if (hasSelectedText()) return;
        const int blank = displayText().indexOf(QLatin1Char('_'));
        if (blank >= 0 && cursorPosition() > blank) setCursorPosition(blank);
    }
};

QFont font_of(const runtime::Font& f) {
    return screen_font(f.face, f.points, f.weight);
}

}  // namespace

QWidget* FreeFormView::Field::widget() const {
    return edit ? static_cast<QWidget*>(edit) : static_cast<QWidget*>(combo);
}

FreeFormView::FreeFormView(runtime::DataWindowControl& control, QWidget* parent)
    : QWidget(parent), control_(control) {
    build();
    runtime::DataWindow& dw = control_.data();
    links_ += dw.reset_done.connect([this] { show_row(); });
    links_ += dw.rows_inserted.connect([this](int, int) { show_row(); });
    links_ += dw.rows_removed.connect([this](int, int) { show_row(); });
    links_ += dw.item_changed.connect([this](int r, int column) {
        if (r != row()) return;
        for (auto& [name, f] : fields_)
            if (f.column == column) show_field(f);
    });
    links_ += dw.edit_changed.connect([this] {
        for (auto& [name, f] : fields_)
            if (f.column == control_.getcolumn()) show_field(f);
    });
    links_ += dw.current_changed.connect([this](int, int) {
        show_row();
        if (control_.has_focus())
            if (QWidget* w = focus_widget()) w->setFocus(Qt::OtherFocusReason);
    });
    links_ += dw.property_changed.connect([this](const std::string& object, const std::string& p) {
        if (object == "datawindow" && p == "readonly") apply_readonly();
        if (p == "filename") show_picture(object);
    });
    show_row();
}

void FreeFormView::build() {
    const runtime::Definition* def = control_.definition();
    if (!def) return;
    for (const runtime::ObjectDef& o : def->objects) {
        if (o.band != runtime::Band::detail) continue;
        const QRect where = px_rect(o.rect.x, o.rect.y, o.rect.width, o.rect.height);
        if (o.kind == runtime::ObjectKind::text) {
            auto* label = new QLabel(qt(o.text), this);
            label->setFont(font_of(o.font));
            label->setGeometry(where);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            object_of_[label] = o.name;
            label->installEventFilter(this);
        } else if (o.kind == runtime::ObjectKind::column) {
            const int column = def->column_index(o.name) + 1;
            if (column < 1) continue;
            add_field(o, column);
            fields_.at(o.name).widget()->setGeometry(where);
        } else if (o.kind == runtime::ObjectKind::picture) {
            auto* picture = new QLabel(this);
            picture->setGeometry(where);
            picture->setAlignment(Qt::AlignCenter);
            picture->setFrameShape(QFrame::StyledPanel);
            pictures_[o.name] = picture;
            object_of_[picture] = o.name;
            picture->installEventFilter(this);
            show_picture(o.name);
        }
    }
    apply_readonly();
}

void FreeFormView::add_field(const runtime::ObjectDef& o, int column) {
    const runtime::ColumnDef& c = control_.definition()->columns[column - 1];
    Field f;
    f.column = column;
    if (c.edit_style == runtime::EditStyle::code_table_dropdown) {
        f.combo = new QComboBox(this);
        for (const auto& e : c.code_table) f.combo->addItem(qt(e.display));
        connect(f.combo, &QComboBox::activated, this, [this, name = o.name](int index) {
            const Field& field = fields_.at(name);
            edited(field, field.combo->itemText(index));
        });
    } else {
        if (c.edit_style == runtime::EditStyle::edit_mask && c.edit_mask == "yyyy-mm-dd") {
            f.edit = new MaskedEdit("9999-99-99;_", this);
        } else {
            f.edit = new QLineEdit(this);
            f.edit->setValidator(new TypingValidator(control_.data(), column, f.edit));
        }
        connect(f.edit, &QLineEdit::textEdited, this,
                [this, name = o.name](const QString& t) { edited(fields_.at(name), t); });
    }
    QWidget* w = f.widget();
    w->setFont(font_of(o.font));
    if (o.background_color) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, runtime_colour(*o.background_color));
        w->setPalette(pal);
    }
    w->installEventFilter(this);
    object_of_[w] = o.name;
    fields_[o.name] = f;
}

QWidget* FreeFormView::object_widget(const std::string& name) const {
    if (auto it = fields_.find(name); it != fields_.end()) return it->second.widget();
    if (auto it = pictures_.find(name); it != pictures_.end()) return it->second;
    return nullptr;
}

QWidget* FreeFormView::focus_widget() const {
    const std::string column = control_.getcolumnname();
    auto it = fields_.find(column);
    return it == fields_.end() ? const_cast<FreeFormView*>(this) : it->second.widget();
}

void FreeFormView::show_row() {
    const bool has_row = row() >= 1;
    for (auto& [name, f] : fields_) {
        f.widget()->setEnabled(has_row);
        show_field(f);
    }
}

void FreeFormView::show_field(Field& f) {
    showing_ = true;
    runtime::DataWindow& dw = control_.data();
    const bool current = dw.getcolumn() == f.column && dw.edit_pending();
    const std::string text =
        current ? dw.gettext().value_or("") : dw.edit_text(row(), f.column).value_or("");
    if (f.edit && f.edit->text() != qt(text)) {
        f.edit->setText(qt(text));
        if (!f.edit->hasFocus()) f.edit->setCursorPosition(0);  // the text's start shows
    } else if (f.combo) {
        const int index = f.combo->findText(qt(text));
        f.combo->setCurrentIndex(index);
        f.combo->setPlaceholderText(index < 0 ? qt(text) : QString());  // shown as stored
    }
    showing_ = false;
}

void FreeFormView::show_picture(const std::string& object) {
    auto it = pictures_.find(object);
    if (it == pictures_.end()) return;
    QLabel* label = it->second;
    const std::string file = control_.data().picture_filename(object);
    QImage image;
    runtime::Window* w = control_.parent();
    // Never the open database's files: reading one would drop SQLite's locks.
    if (!file.empty() && w && w->is_open() && !w->app().files().is_database_file(file)) {
        QImageReader reader(qt(w->app().files().map(file).string()));
        reader.setAutoTransform(true);
        image = reader.read();  // a file that is no picture shows nothing
    }
    if (image.isNull()) {
        label->clear();
        return;
    }
    const QSize room = label->contentsRect().size();
    label->setPixmap(
        QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void FreeFormView::apply_readonly() {
    const bool readonly = control_.data().readonly();
    for (auto& [name, f] : fields_) {
        if (f.edit) f.edit->setReadOnly(readonly);
        if (f.combo) f.combo->setEnabled(!readonly && row() >= 1);
    }
}

void FreeFormView::field_focused(const Field& f) {
    const std::string& name = control_.definition()->columns[f.column - 1].name;
    if (control_.has_focus() && control_.getcolumn() == f.column) return;
    const int r = row() >= 1 ? row() : 1;
    if (runtime::user::place_cursor(control_, r, name) != runtime::InputResult::done) {
        // A refused edit keeps the cursor where it was: give its field the focus back.
        QTimer::singleShot(0, this, [this] {
            if (QWidget* w = focus_widget()) w->setFocus(Qt::OtherFocusReason);
        });
    }
}

void FreeFormView::edited(const Field& f, const QString& text) {
    if (showing_) return;
    field_focused(f);
    if (control_.getcolumn() != f.column) return;
    if (runtime::user::edit_text(control_, text.toStdString()) != runtime::InputResult::done)
        show_field(fields_.at(control_.getcolumnname()));
}

bool FreeFormView::eventFilter(QObject* watched, QEvent* event) {
    auto it = object_of_.find(watched);
    if (it == object_of_.end()) return QWidget::eventFilter(watched, event);
    const std::string object = it->second;
    const int r = row();
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                runtime::user::click(control_, r, object);
            break;
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                runtime::user::double_click(control_, r, object);
            break;
        case QEvent::FocusIn:
            if (auto f = fields_.find(object); f != fields_.end()) field_focused(f->second);
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ui
