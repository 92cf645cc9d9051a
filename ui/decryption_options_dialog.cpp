#include "ui/decryption_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/messages.h"
#include "ui/option_lists.h"
#include "ui/widget_makers.h"

namespace velt::ui {

TForm3::TForm3(const Services& services, QWidget* parent) : QDialog(parent), services_(services) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(L(messages::kDecryptionOptionsCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  defencengine = new QComboBox(this);
  defencengine->setObjectName(QStringLiteral("defencengine"));
  FillCipherList(defencengine);
  defhashengine = new QComboBox(this);
  defhashengine->setObjectName(QStringLiteral("defhashengine"));
  FillHashList(defhashengine);

  auto* group = new QGroupBox(L(messages::kGroupDecryption), this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  deleteorig = new QCheckBox(L(messages::kDeleteAfterDecryption), group);
  deleteorig->setObjectName(QStringLiteral("deleteorig"));
  dontask = new QCheckBox(L(messages::kDontAsk), group);
  dontask->setObjectName(QStringLiteral("dontask"));
  auto* checks = new QVBoxLayout(group);
  checks->addWidget(deleteorig);
  checks->addWidget(dontask);

  password = new QLineEdit(this);
  password->setObjectName(QStringLiteral("password"));
  password->setEchoMode(QLineEdit::Normal);  // shown as typed, like every password prompt here

  Button1 = new QPushButton(L(messages::kOK), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setDefault(true);
  Button2 = new QPushButton(L(messages::kCancel), this);
  Button2->setObjectName(QStringLiteral("Button2"));

  auto* grid = new QGridLayout;
  auto* cipherLabel = new QLabel(L(messages::kLabelDecryptionEngine), this);
  auto* hashLabel = new QLabel(L(messages::kLabelHashingEngine), this);
  cipherLabel->setBuddy(defencengine);
  hashLabel->setBuddy(defhashengine);
  grid->addWidget(cipherLabel, 0, 0);
  grid->addWidget(defencengine, 0, 1);
  grid->addWidget(hashLabel, 1, 0);
  grid->addWidget(defhashengine, 1, 1);
  auto* passwordLabel = new QLabel(L(messages::kLabelPassword), this);
  passwordLabel->setBuddy(password);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(group);
  layout->addWidget(passwordLabel);
  layout->addWidget(password);
  layout->addLayout(buttons);

  connect(deleteorig, &QCheckBox::toggled, this, [this](bool checked) {
    if (checked)
      services_.prompts.ShowMessage(platform::MessageKind::Warning,
                                    messages::kNoHeaderDeleteWarning);
  });
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

  setFixedSize(sizeHint());
}

bool TForm3::Execute() {
  return exec() == QDialog::Accepted;
}

engine::DecryptionOptions TForm3::Options() const {
  engine::DecryptionOptions o;
  o.cipherIndex = defencengine->currentIndex();
  o.hashIndex = defhashengine->currentIndex();
  o.deleteOriginal = deleteorig->isChecked();
  o.password = password->text().toStdString();
  return o;
}

void TForm3::SetEngines(int cipherIndex, int hashIndex) {
  SelectIndex(defencengine, cipherIndex);
  SelectIndex(defhashengine, hashIndex);
}

void TForm3::SetDeleteOriginal(bool checked) {
  const QSignalBlocker quiet(deleteorig);
  deleteorig->setChecked(checked);
}

void TForm3::SetDontAsk(bool checked) {
  dontask->setChecked(checked);
  dontask->setEnabled(false);
}

}  // namespace velt::ui
