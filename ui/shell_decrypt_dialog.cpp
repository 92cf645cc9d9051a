#include "ui/shell_decrypt_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/folder_pickers.h"
#include "ui/messages.h"
#include "ui/option_lists.h"
#include "ui/widget_makers.h"

namespace velt::ui {

Tshelldec::Tshelldec(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
  setObjectName(QStringLiteral("shelldec"));
  setWindowTitle(L(messages::kShellDecCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  defencengine = DropDown(this, "defencengine", FillCipherList);
  defhashengine = DropDown(this, "defhashengine", FillHashList);
  defencengine->setEnabled(false);
  defhashengine->setEnabled(false);

  auto* group = new QGroupBox(L(messages::kGroupDecryption), this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  rec = CheckBox(group, "rec", messages::kRecDecrypt, messages::kRecDecryptHint);
  deall = CheckBox(group, "deall", messages::kDeall, messages::kDeallHint);
  deext = CheckBox(group, "deext", "", messages::kDeextHint);
  deext->setText(ExtensionBoxCaption(messages::kDefaultExtension));
  deleteorig = CheckBox(group, "deleteorig", messages::kDeleteAfterDecryption,
                        messages::kShellDeleteOrigHint);
  deleteorig->setEnabled(false);
  auto* checks = new QVBoxLayout(group);
  for (QCheckBox* box : {rec, deall, deext, deleteorig}) checks->addWidget(box);

  Button1 = Button(this, "Button1", messages::kOK);
  Button1->setDefault(true);
  Button2 = Button(this, "Button2", messages::kDefaults);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(Fields(this, {{messages::kLabelDecryptionEngine, defencengine},
                                  {messages::kLabelHashingEngine, defhashengine}}));
  layout->addWidget(group);
  layout->addLayout(ButtonRow(Button1, Button2));

  connect(deall, &QCheckBox::toggled, this, &Tshelldec::OnlyWithMetaChanged);
  connect(deleteorig, &QCheckBox::toggled, this, [this](bool checked) {
    if (checked && deleteorig->isEnabled()) WarnDeleteWithoutMeta();
  });
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &Tshelldec::Defaults);

  setFixedSize(sizeHint());
  Centre(this);
}

bool Tshelldec::Execute(int cipherIndex, int hashIndex, const std::string& extension) {
  SelectIndex(defencengine, cipherIndex);
  SelectIndex(defhashengine, hashIndex);
  deext->setText(ExtensionBoxCaption(extension));
  return exec() == QDialog::Accepted;
}

void Tshelldec::OnlyWithMetaChanged(bool checked) {
  // Files without meta information are taken only when the box is off; only then do their
  // engines and the deletion matter.
  defencengine->setEnabled(!checked);
  defhashengine->setEnabled(!checked);
  deleteorig->setEnabled(!checked);
  // A box already ticked comes into force here: the risk it brings is told now, not only when
  // it is ticked again.
  if (!checked && deleteorig->isChecked() && isVisible()) WarnDeleteWithoutMeta();
}

void Tshelldec::WarnDeleteWithoutMeta() {
  services_.prompts.ShowMessage(platform::MessageKind::Warning, messages::kShellDeleteWarning);
}

void Tshelldec::Defaults() {
  defhashengine->setCurrentIndex(0);
  defencengine->setCurrentIndex(0);
  rec->setChecked(true);
  deleteorig->setChecked(true);
  deext->setChecked(true);
  deall->setChecked(true);
  defencengine->setEnabled(false);
  defhashengine->setEnabled(false);
}

Tshelldec::Choices Tshelldec::Chosen() const {
  Choices c;
  c.cipherIndex = defencengine->currentIndex();
  c.hashIndex = defhashengine->currentIndex();
  c.recursive = rec->isChecked();
  c.onlyWithMeta = deall->isChecked();
  c.onlyWithExtension = deext->isChecked();
  c.deleteOriginal = deleteorig->isChecked();
  return c;
}

}  // namespace velt::ui
