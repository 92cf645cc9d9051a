// Tshelldec: the options of a run started by the desktop with -d. Its choices go to the drop
// dialog and the decryption options dialog.
#pragma once

#include <QDialog>
#include <string>

#include "engine/settings.h"
#include "ui/services.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace velt::ui {

class Tshelldec final : public QDialog {
 public:
  explicit Tshelldec(const Services& services, QWidget* parent = nullptr);

  // The settings' engines in the lists and the current extension in the deext caption, then
  // modal: true for OK, false for Escape or the close box.
  bool Execute(int cipherIndex, int hashIndex, const std::string& extension);
  void Defaults();

  // What the run takes from it.
  struct Choices {
    int cipherIndex = 0, hashIndex = 0;
    bool recursive = false, onlyWithMeta = false, onlyWithExtension = false, deleteOriginal = false;
  };
  Choices Chosen() const;

 private:
  void OnlyWithMetaChanged(bool checked);
  void WarnDeleteWithoutMeta();

  Services services_;
  QComboBox *defencengine = nullptr, *defhashengine = nullptr;
  QCheckBox *rec = nullptr, *deall = nullptr, *deext = nullptr, *deleteorig = nullptr;
  QPushButton *Button1 = nullptr, *Button2 = nullptr;  // OK, Defaults
};

}  // namespace velt::ui
