// The engine settings as a dialog's controls hold them. The options dialog and the command
// line's encryption dialog carry the same ten controls under the same names.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "engine/settings.h"

namespace velt::ui {

template <class Dialog>
engine::EngineSettings SettingsFromControls(const Dialog& d) {
  engine::EngineSettings s;
  s.extension = d.deffileext->text().toStdString();
  s.cipherIndex = d.defencengine->currentIndex();
  s.hashIndex = d.defhashengine->currentIndex();
  s.compressionEngine = d.defcomp->currentIndex();
  s.compressionSpeed = d.defcompspeed->currentIndex();
  s.addExtension = d.addext->isChecked();
  s.secureDelete = d.securedelete->isChecked();
  s.deleteOriginal = d.deleteorig->isChecked();
  s.compress = d.compressfile->isChecked();
  s.addMetaInfo = d.addvelt->isChecked();
  return s;
}

}  // namespace velt::ui
