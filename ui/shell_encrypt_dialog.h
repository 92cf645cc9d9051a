// Tshellenc: the options of a run started by the desktop with -e. It shows the live settings and
// hands its choices back to them for the run (never saved).
#pragma once

#include <QDialog>
#include <string>

#include "engine/settings.h"
#include "ui/services.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velt::ui {

class Tshellenc final : public QDialog {
 public:
  explicit Tshellenc(const Services& services, QWidget* parent = nullptr);

  // The settings as the controls hold them, and the other way round (in load order, so that
  // the rules run as they do for the options dialog).
  engine::EngineSettings Settings() const;
  void SetSettings(const engine::EngineSettings& settings);
  // Shows it modally: true for OK, false for Escape or the close box.
  bool Execute();
  // The Defaults button: as the options dialog's, and recursion on.
  void Defaults();
  // "Recursive" for this run: the drop dialog's box takes it over.
  bool Recursive() const;

 private:
  void CompressChanged(bool checked);
  void AddExtensionChanged(bool checked);
  void CheckExtensionField();

  friend struct EngineControls;

  Services services_;
  bool checking_ = false;
  QLineEdit* deffileext = nullptr;
  QComboBox *defencengine = nullptr, *defhashengine = nullptr, *defcomp = nullptr,
            *defcompspeed = nullptr;
  QCheckBox *addext = nullptr, *securedelete = nullptr, *deleteorig = nullptr,
            *compressfile = nullptr, *addvelt = nullptr, *rec = nullptr;
  QPushButton *Button1 = nullptr, *Button2 = nullptr;  // OK, Defaults
};

}  // namespace velt::ui
