// TForm3: what a file without meta information cannot tell the decryption: cipher, hash,
// password and whether the encrypted file goes afterwards. Kept for the life of the process, so
// every field (the password too) shows its last value at the next showing.
#pragma once

#include <QDialog>

#include "engine/settings.h"
#include "ui/services.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velt::ui {

class TForm3 final : public QDialog {
 public:
  explicit TForm3(const Services& services, QWidget* parent = nullptr);

  // Shows the dialog modally; true for OK, false for Cancel and Escape.
  bool Execute();
  engine::DecryptionOptions Options() const;
  // What callers set before showing it.
  void SetEngines(int cipherIndex, int hashIndex);
  void SetDontAsk(bool checked);  // always greyed: it only tells the user
  // Without the warning: the user saw it in the dialog that asked.
  void SetDeleteOriginal(bool checked);

 private:
  Services services_;
  QComboBox *defencengine = nullptr, *defhashengine = nullptr;
  QCheckBox *deleteorig = nullptr, *dontask = nullptr;
  QLineEdit* password = nullptr;
  QPushButton *Button1 = nullptr, *Button2 = nullptr;  // OK, Cancel
};

}  // namespace velt::ui
