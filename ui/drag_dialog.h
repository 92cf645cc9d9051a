// TDrag: what to do with files dropped on the main window: encrypt them, decrypt them, or
// nothing. Its boxes keep their states for the process and are never saved; the searches of
// the command-line decryption read them too, which is why that path copies its choices here.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "batch/list_job.h"

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace velt::ui {

class TDrag final : public QDialog {
 public:
  explicit TDrag(QWidget* parent = nullptr);

  // Names `extension` in the deext caption and shows the dialog modally: the job kind of the
  // button pressed, or nothing for Cancel, Escape and the close box.
  std::optional<batch::ListJobKind> Execute(const std::string& extension);
  void SetExtension(const std::string& extension);

  // The boxes, read by the searches and set by the command line's dialogs.
  bool EncryptRecursive() const;
  bool DecryptRecursive() const;
  bool OnlyWithMeta() const;
  bool OnlyWithExtension() const;
  void SetEncryptRecursive(bool checked);
  void SetDecryption(bool recursive, bool onlyWithMeta, bool onlyWithExtension);

 private:
  QGroupBox *dragenc = nullptr, *dragdec = nullptr;
  QCheckBox *rec = nullptr, *rdec = nullptr, *deall = nullptr, *deext = nullptr;
  // Encrypt Dragged Files, Decrypt Dragged Files, Cancel Drag and Drop.
  QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr;
};

}  // namespace velt::ui
