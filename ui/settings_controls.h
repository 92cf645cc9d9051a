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

// The controls, defaults and rules that the two dialogs share; each dialog makes this its
// friend.
struct EngineControls {
  // Creates the extension field and the four engine lists, named after their fields.
  template <class Dialog>
  static void Make(Dialog& d) {
    d.deffileext = new QLineEdit(L(messages::kDefaultExtension), &d);
    d.deffileext->setObjectName(QStringLiteral("deffileext"));
    d.deffileext->setMaxLength(5);
    d.defencengine = DropDown(&d, "defencengine", FillCipherList);
    d.defhashengine = DropDown(&d, "defhashengine", FillHashList);
    d.defcomp = DropDown(&d, "defcomp", FillCompressionEngineList);
    d.defcompspeed = DropDown(&d, "defcompspeed", FillCompressionSpeedList);
  }

  template <class Dialog>
  static engine::EngineSettings Read(const Dialog& d) {
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

  // The values of a fresh installation.
  template <class Dialog>
  static void Reset(Dialog& d) {
    d.deffileext->setText(L(messages::kDefaultExtension));
    d.defencengine->setCurrentIndex(0);
    d.defhashengine->setCurrentIndex(0);
    d.defcompspeed->setCurrentIndex(0);
    d.defcomp->setCurrentIndex(0);
    d.addext->setChecked(true);
    d.deleteorig->setChecked(true);
    d.compressfile->setChecked(true);
    d.securedelete->setChecked(true);
    d.addvelt->setChecked(true);
  }

  // A compressed file always carries meta information: decryption must know to inflate it.
  template <class Dialog>
  static void CompressRule(Dialog& d, bool checked) {
    d.addvelt->setChecked(true);
    d.addvelt->setEnabled(!checked);
  }

  // Without an extension the encrypted file takes the original's name, so the original goes.
  template <class Dialog, class Warn>
  static void ExtensionRule(Dialog& d, bool checked, Warn warn) {
    if (!checked && d.isVisible()) {
      warn(messages::kNoExtensionWarning);
      d.deleteorig->setChecked(true);
      d.deleteorig->setEnabled(false);
      d.deffileext->setEnabled(false);
    } else {
      d.deffileext->setEnabled(true);
      d.deleteorig->setEnabled(true);
    }
  }

  // The warning for an extension that cannot be used, or null.
  static const char* ExtensionProblem(const QString& text) {
    switch (engine::CheckExtension(text.toStdString())) {
      case engine::ExtensionCheck::ForbiddenCharacter:
        return messages::kExtensionForbidden;
      case engine::ExtensionCheck::Empty:
        return messages::kExtensionEmpty;
      case engine::ExtensionCheck::Valid:
        break;
    }
    return nullptr;
  }
};

}  // namespace velt::ui
