// TForm3: what a file without meta information cannot tell the decryption: cipher, hash,
// password and whether the encrypted file goes afterwards. Kept for the life of the process, so
// every field (the password too) shows its last value at the next showing.
#pragma once

#include <QDialog>

#include "engine/settings.h"
#include "ui/job_state.h"
#include "ui/services.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velt::ui {

class TForm3 final : public QDialog {
 public:
  TForm3(const Services& services, JobState& job, QWidget* parent = nullptr);

  // Shows the dialog modally; DialogCancelled is false before and tells the answer after.
  void Execute();
  engine::DecryptionOptions Options() const;
  // What callers set before showing it.
  void SetEngines(int cipherIndex, int hashIndex);
  void SetDontAsk(bool checked);  // always greyed: it only tells the user

  QComboBox *defencengine = nullptr, *defhashengine = nullptr;
  QCheckBox *deleteorig = nullptr, *dontask = nullptr;
  QLineEdit* password = nullptr;
  QPushButton *Button1 = nullptr, *Button2 = nullptr;  // OK, Cancel

 protected:
  void accept() override;
  void reject() override;  // Cancel, and Escape

 private:
  Services services_;
  JobState& job_;
};

}  // namespace velt::ui
