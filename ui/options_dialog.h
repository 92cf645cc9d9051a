// Tveltoptions: the options dialog and the one live copy of the engine settings. Its controls
// are the settings; they are loaded from the settings store when the dialog is made and saved by
// OK. Escape or the close box leaves without saving and takes back the changes made since it
// opened.
#pragma once

#include <QDialog>

#include "engine/settings.h"
#include "ui/services.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velt::ui {

class Tveltoptions final : public QDialog {
 public:
  // Loads the settings; a failed read is shown in an error box and the rest keep their defaults.
  Tveltoptions(const Services& services, QWidget* parent = nullptr);

  // The live settings as the controls hold them (window thread).
  engine::EngineSettings Settings() const;
  // Puts settings into the controls in load order, so the rules run as they would on loading.
  void SetSettings(const engine::EngineSettings& settings);

  // The Defaults button.
  void Defaults();
  // The OK button: save, then close. A store that cannot be written is reported and the values
  // stay live for this run.
  void Ok();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void Load();
  void CompressChanged(bool checked);
  void AddExtensionChanged(bool checked);
  void CheckExtensionField();
  void Warn(const char* text);

  friend struct EngineControls;

  Services services_;
  QLineEdit* deffileext = nullptr;
  QComboBox *defencengine = nullptr, *defhashengine = nullptr, *defcomp = nullptr,
            *defcompspeed = nullptr;
  QCheckBox *addext = nullptr, *securedelete = nullptr, *deleteorig = nullptr, *addvelt = nullptr,
            *compressfile = nullptr;
  QPushButton *Button1 = nullptr, *Button2 = nullptr;  // OK, Defaults
  engine::EngineSettings opened_;  // the live settings when the dialog was last opened
};

}  // namespace velt::ui
