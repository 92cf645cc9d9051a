#include "ui/drag_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/folder_pickers.h"
#include "ui/messages.h"
#include "ui/widget_makers.h"

namespace velt::ui {

namespace {
// exec()'s answers besides Rejected, one per job kind.
constexpr int kEncryptAnswer = QDialog::Accepted;
constexpr int kDecryptAnswer = QDialog::Accepted + 1;
}  // namespace

TDrag::TDrag(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Drag"));
  setWindowTitle(L(messages::kDragCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  dragenc = new QGroupBox(L(messages::kGroupEncryptionOptions), this);
  dragenc->setObjectName(QStringLiteral("dragenc"));
  rec = CheckBox(dragenc, "rec", messages::kRecEncrypt, messages::kDragRecHint);
  Button1 = Button(dragenc, "Button1", messages::kEncryptDragged);
  auto* encLayout = new QVBoxLayout(dragenc);
  encLayout->addWidget(rec);
  encLayout->addWidget(Button1, 0, Qt::AlignRight);

  dragdec = new QGroupBox(L(messages::kGroupDecryptionOptions), this);
  dragdec->setObjectName(QStringLiteral("dragdec"));
  rdec = CheckBox(dragdec, "rdec", messages::kRecDecrypt, messages::kDragRdecHint);
  deall = CheckBox(dragdec, "deall", messages::kDeall, messages::kDragDeallHint);
  deext = CheckBox(dragdec, "deext", "", messages::kDeextHint);
  SetExtension(messages::kDefaultExtension);
  Button2 = Button(dragdec, "Button2", messages::kDecryptDragged);
  auto* decLayout = new QVBoxLayout(dragdec);
  for (QCheckBox* box : {rdec, deall, deext}) decLayout->addWidget(box);
  decLayout->addWidget(Button2, 0, Qt::AlignRight);

  Button3 = Button(this, "Button3", messages::kCancelDrag);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(dragenc);
  layout->addWidget(dragdec);
  layout->addWidget(Button3, 0, Qt::AlignHCenter);

  connect(Button1, &QPushButton::clicked, this, [this] { done(kEncryptAnswer); });
  connect(Button2, &QPushButton::clicked, this, [this] { done(kDecryptAnswer); });
  connect(Button3, &QPushButton::clicked, this, &QDialog::reject);

  setFixedSize(sizeHint());
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TDrag::SetExtension(const std::string& extension) {
  deext->setText(ExtensionBoxCaption(extension));
}

std::optional<batch::ListJobKind> TDrag::Execute(const std::string& extension) {
  SetExtension(extension);
  switch (exec()) {
    case kEncryptAnswer:
      return batch::ListJobKind::Encrypt;
    case kDecryptAnswer:
      return batch::ListJobKind::Decrypt;
    default:
      return std::nullopt;
  }
}

bool TDrag::EncryptRecursive() const {
  return rec->isChecked();
}

bool TDrag::DecryptRecursive() const {
  return rdec->isChecked();
}

bool TDrag::OnlyWithMeta() const {
  return deall->isChecked();
}

bool TDrag::OnlyWithExtension() const {
  return deext->isChecked();
}

void TDrag::SetEncryptRecursive(bool checked) {
  rec->setChecked(checked);
}

void TDrag::SetDecryption(bool recursive, bool onlyWithMeta, bool onlyWithExtension) {
  rdec->setChecked(recursive);
  deall->setChecked(onlyWithMeta);
  deext->setChecked(onlyWithExtension);
}

}  // namespace velt::ui
