// Small makers for the dialogs' widgets: every control is named after its field, its texts are
// Latin-1 as the program's own message tables are.
#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QPushButton;
class QWidget;

namespace velt::ui {

// A text of the message tables as a QString.
QString L(const char* text);

// A check box, checked, with its hover hint.
QCheckBox* CheckBox(QWidget* parent, const char* name, const char* caption, const char* hint);

// A fixed list filled by `fill`, its first item chosen.
QComboBox* DropDown(QWidget* parent, const char* name, void (*fill)(QComboBox*));

// A push button that Enter in a field does not press (the dialogs check their fields first).
QPushButton* Button(QWidget* parent, const char* name, const char* caption);

}  // namespace velt::ui
