// The password box: a masked field with a Show toggle; for a new password a Confirm field that
// must match, and OK only for a non-empty password; under the fields what the advisor says
// about the password as it is typed.
#pragma once

#include <QDialog>

#include "platform/prompts.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velt::platform {

class PasswordBox final : public QDialog {
  Q_OBJECT

 public:
  PasswordBox(const std::string& caption, const std::string& prompt, bool confirm,
              PasswordAdvisor advise, QWidget* parent = nullptr);

  std::string Password() const;

 private:
  void Changed();
  void ShowToggled(bool shown);

  PasswordAdvisor advise_;
  // Controls, under their objectName.
  QLineEdit* password = nullptr;
  QLineEdit* confirmation = nullptr;  // "confirm"; null when the password is asked once
  QCheckBox* showPassword = nullptr;  // "show"
  QLabel* note = nullptr;             // why OK is greyed
  QLabel* strength = nullptr;         // the advisor's estimate
  QLabel* warning = nullptr;          // the advisor's warning
  QPushButton *ok = nullptr, *cancel = nullptr;
};

}  // namespace velt::platform
