// The engine settings as a dialog's controls hold them. The options dialog and the command
// line's encryption dialog carry the same ten controls under the same names.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "engine/settings.h"
#include "ui/messages.h"
#include "ui/option_lists.h"
#include "ui/widget_makers.h"

namespace velt::ui {

// Creates the extension field and the four engine lists of a dialog, named after their fields.
template <class Dialog>
void MakeEngineControls(Dialog& d) {
  d.deffileext = new QLineEdit(L(messages::kDefaultExtension), &d);
  d.deffileext->setObjectName(QStringLiteral("deffileext"));
  d.deffileext->setMaxLength(5);
  d.defencengine = DropDown(&d, "defencengine", FillCipherList);
  d.defhashengine = DropDown(&d, "defhashengine", FillHashList);
  d.defcomp = DropDown(&d, "defcomp", FillCompressionEngineList);
  d.defcompspeed = DropDown(&d, "defcompspeed", FillCompressionSpeedList);
}

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
