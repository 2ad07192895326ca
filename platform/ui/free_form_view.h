// The free-form presentation of a data-window control: the definition's captions, fields and
// pictures at their positions, showing the current row. Fields are line edits that refuse
// a keystroke the field does not take (the GBK byte limit, checked by the runtime as the
// text is typed), drop-downs for code tables, a masked entry for dates; pictures show their
// file scaled into their area. Every edit goes to the runtime through the user-input layer.
#pragma once

#include <QLabel>
#include <QWidget>
#include <map>
#include <string>

#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/signal.h"

class QComboBox;
class QLineEdit;

namespace ui {

class FreeFormView : public QWidget {
  public:
    FreeFormView(runtime::DataWindowControl& control, QWidget* parent);

    runtime::DataWindowControl& control() const { return control_; }
    // The widget of a field (a line edit or a drop-down), or of a picture; null when none.
    QWidget* object_widget(const std::string& name) const;
    // The widget that holds the keyboard focus while the control has it: the field of the
    // current column.
    QWidget* focus_widget() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Field {
        int column = 0;  // 1-based
        QLineEdit* edit = nullptr;
        QComboBox* combo = nullptr;
        QWidget* widget() const;
    };

    void build();
    void add_field(const runtime::ObjectDef& object, int column);
    void show_row();
    void show_field(Field& f);
    void show_picture(const std::string& object);
    void edited(const Field& f, const QString& text);
    void field_focused(const Field& f);
    void apply_readonly();
    int row() const { return control_.getrow(); }

    runtime::DataWindowControl& control_;
    std::map<std::string, Field> fields_;  // by column name
    std::map<std::string, QLabel*> pictures_;
    std::map<QObject*, std::string> object_of_;  // widget -> object name, for clicks
    runtime::SignalLinks links_;
    bool showing_ = false;  // the runtime's values are being put into the widgets
};

}  // namespace ui
