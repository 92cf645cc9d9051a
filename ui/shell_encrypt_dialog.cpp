#include "ui/shell_encrypt_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/messages.h"
#include "ui/option_lists.h"
#include "ui/settings_controls.h"
#include "ui/widget_makers.h"

namespace velt::ui {

Tshellenc::Tshellenc(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
  setObjectName(QStringLiteral("shellenc"));
  setWindowTitle(L(messages::kShellEncCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  EngineControls::Make(*this);

  auto* group = new QGroupBox(L(messages::kGroupEncryption), this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  addext = CheckBox(group, "addext", messages::kAddExt, messages::kAddExtHint);
  securedelete =
      CheckBox(group, "securedelete", messages::kSecureDelete, messages::kSecureDeleteHint);
  deleteorig = CheckBox(group, "deleteorig", messages::kDeleteOrig, messages::kDeleteOrigHint);
  compressfile =
      CheckBox(group, "compressfile", messages::kCompressFile, messages::kShellCompressFileHint);
  addvelt = CheckBox(group, "addvelt", messages::kAddMeta, messages::kShellAddMetaHint);
  rec = CheckBox(group, "rec", messages::kRecFolders, messages::kRecFoldersHint);
  addvelt->setEnabled(false);  // meta information can only be left out of uncompressed files
  auto* checks = new QVBoxLayout(group);
  for (QCheckBox* box : {addext, securedelete, deleteorig, compressfile, addvelt, rec})
    checks->addWidget(box);

  Button1 = Button(this, "Button1", messages::kOK);
  Button1->setDefault(true);
  Button2 = Button(this, "Button2", messages::kDefaults);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(Fields(this, {{messages::kLabelExtension, deffileext},
                                  {messages::kLabelEncryptionEngine, defencengine},
                                  {messages::kLabelHashingEngine, defhashengine},
                                  {messages::kLabelCompressionEngine, defcomp},
                                  {messages::kLabelCompressionSpeed, defcompspeed}}));
  layout->addWidget(group);
  layout->addLayout(ButtonRow(Button1, Button2));

  connect(compressfile, &QCheckBox::toggled, this, &Tshellenc::CompressChanged);
  connect(addext, &QCheckBox::toggled, this, &Tshellenc::AddExtensionChanged);
  // Checked on every change, not when the focus leaves the field.
  connect(deffileext, &QLineEdit::textChanged, this, &Tshellenc::CheckExtensionField);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &Tshellenc::Defaults);

  setFixedSize(sizeHint());
  Centre(this);
}

engine::EngineSettings Tshellenc::Settings() const {
  return EngineControls::Read(*this);
}

void Tshellenc::SetSettings(const engine::EngineSettings& s) {
  deleteorig->setChecked(s.deleteOriginal);
  addext->setChecked(s.addExtension);
  // The compress rule sets the meta box's enabled state; the live meta flag then sets its
  // check, so the dialog shows exactly the live settings.
  compressfile->setChecked(s.compress);
  addvelt->setChecked(s.addMetaInfo);
  deffileext->setText(QString::fromStdString(s.extension));
  SelectIndex(defencengine, s.cipherIndex);
  SelectIndex(defhashengine, s.hashIndex);
  SelectIndex(defcomp, s.compressionEngine);
  SelectIndex(defcompspeed, s.compressionSpeed);
  securedelete->setChecked(s.secureDelete);
}

bool Tshellenc::Execute() {
  return exec() == QDialog::Accepted;
}

void Tshellenc::Defaults() {
  EngineControls::Reset(*this);
  rec->setChecked(true);
}

void Tshellenc::CompressChanged(bool checked) {
  EngineControls::CompressRule(*this, checked);
}

void Tshellenc::AddExtensionChanged(bool checked) {
  EngineControls::ExtensionRule(*this, checked, [this](const char* text) {
    services_.prompts.ShowMessage(platform::MessageKind::Warning, text);
  });
}

void Tshellenc::CheckExtensionField() {
  if (checking_) return;  // putting "VELT" back is a change too
  const char* warning = EngineControls::ExtensionProblem(deffileext->text());
  if (!warning) return;
  checking_ = true;
  services_.prompts.ShowMessage(platform::MessageKind::Warning, warning);
  deffileext->setText(L(messages::kDefaultExtension));
  checking_ = false;
}

bool Tshellenc::Recursive() const {
  return rec->isChecked();
}

}  // namespace velt::ui
