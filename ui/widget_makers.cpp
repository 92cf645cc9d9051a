#include "ui/widget_makers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

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

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(L(caption), parent);
  b->setObjectName(L(name));
  b->setAutoDefault(false);
  return b;
}

}  // namespace velt::ui
