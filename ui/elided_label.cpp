#include "ui/elided_label.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace velt::ui {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setTextFormat(Qt::PlainText);
}

void ElidedLabel::SetFullText(const QString& text, const QString& whole) {
  full_ = text;
  setToolTip(whole.isEmpty() ? text : whole);
  Elide();
}

QSize ElidedLabel::minimumSizeHint() const {
  return {0, QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const {
  return {0, QLabel::sizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void ElidedLabel::Elide() {
  setText(fontMetrics().elidedText(full_, Qt::ElideMiddle, contentsRect().width()));
}

}  // namespace velt::ui
