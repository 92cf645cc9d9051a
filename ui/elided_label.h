// A one-line label for paths and file names: what does not fit is cut out of the middle, where
// names that differ only at their ends keep what tells them apart. The tooltip gives the whole.
#pragma once

#include <QLabel>

namespace velt::ui {

class ElidedLabel final : public QLabel {
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  // Shows `text`, shortened in the middle to the label's width; `whole` (the text itself when
  // empty) becomes the tooltip.
  void SetFullText(const QString& text, const QString& whole = QString());
  const QString& FullText() const { return full_; }

  // Any width will do: the text follows the label, not the other way round.
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();

  QString full_;
};

}  // namespace velt::ui
