#include "ui/widget_makers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace velt::ui {

QString L(const char* text) {
  return QString::fromLatin1(text);
}

QCheckBox* CheckBox(QWidget* parent, const char* name, const char* caption, const char* hint) {
  auto* box = new QCheckBox(L(caption), parent);
  box->setObjectName(L(name));
  box->setToolTip(L(hint));
  box->setChecked(true);
  return box;
}

QComboBox* DropDown(QWidget* parent, const char* name, void (*fill)(QComboBox*)) {
  auto* list = new QComboBox(parent);
  list->setObjectName(L(name));
  list->setEditable(false);
  fill(list);
  list->setCurrentIndex(0);
  return list;
}

namespace {

// Enter and Return press the button that has the focus, as Space does.
class EnterPressesFilter final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (key->modifiers() & ~Qt::KeypadModifier) return false;
    auto* button = static_cast<QPushButton*>(watched);
    if (button->isEnabled()) button->click();
    return true;
  }
};

}  // namespace

void EnterPresses(QPushButton* button) {
  button->installEventFilter(new EnterPressesFilter(button));
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(L(caption), parent);
  b->setObjectName(L(name));
  b->setAutoDefault(false);
  EnterPresses(b);
  return b;
}

QGridLayout* Fields(QWidget* owner, std::initializer_list<std::pair<const char*, QWidget*>> rows) {
  auto* grid = new QGridLayout;
  int row = 0;
  for (const auto& [label, field] : rows) {
    auto* l = new QLabel(L(label), owner);
    l->setBuddy(field);
    grid->addWidget(l, row, 0);
    grid->addWidget(field, row, 1);
    ++row;
  }
  return grid;
}

QHBoxLayout* ButtonRow(QPushButton* ok, QPushButton* defaults) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(defaults);
  return buttons;
}

void Centre(QWidget* window) {
  if (QScreen* screen = QGuiApplication::primaryScreen())
    window->move(screen->availableGeometry().center() - window->rect().center());
}

}  // namespace velt::ui
