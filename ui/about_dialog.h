// TForm7: the About box with the product name and the version lines.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace velt::ui {

class TForm7 final : public QDialog {
 public:
  explicit TForm7(QWidget* parent = nullptr);

 private:
  QLabel* Image1 = nullptr;        // the picture in its white framed square
  QPushButton* Button1 = nullptr;  // OK
};

}  // namespace velt::ui
