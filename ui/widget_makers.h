// Small makers for the dialogs' widgets: every control is named after its field, its texts are
// Latin-1 as the program's own message tables are.
#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace velt::ui {

// A text of the message tables as a QString.
QString L(const char* text);

// A check box, checked, with its hover hint.
QCheckBox* CheckBox(QWidget* parent, const char* name, const char* caption, const char* hint);

// A fixed list filled by `fill`, its first item chosen.
QComboBox* DropDown(QWidget* parent, const char* name, void (*fill)(QComboBox*));

// A push button that Enter in a field does not press (the dialogs check their fields first);
// Enter presses it while it has the focus. A dialog's default button is set by the dialog.
QPushButton* Button(QWidget* parent, const char* name, const char* caption);

// Enter and Return press `button` while it has the focus, even when it is not a default button.
void EnterPresses(QPushButton* button);

// Labels in the first column, fields in the second.
QGridLayout* Fields(QWidget* owner, std::initializer_list<std::pair<const char*, QWidget*>> rows);

// OK and Defaults at the right end of a row.
QHBoxLayout* ButtonRow(QPushButton* ok, QPushButton* defaults);

// Moves a window to the middle of the screen.
void Centre(QWidget* window);

}  // namespace velt::ui
