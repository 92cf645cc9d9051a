#include "platform/qt/password_box_qt.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velt::platform {

namespace {

constexpr const char* kShow = "Show";
constexpr const char* kConfirm = "Confirm";
constexpr const char* kEmptyRefused = "Encryption needs a password: an empty one is refused.";
constexpr const char* kNoMatch = "The two passwords do not match.";
constexpr int kMaxLength = 255;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QLabel* Note(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setWordWrap(true);
  label->hide();
  return label;
}

void SetNote(QLabel* label, const QString& text) {
  label->setText(text);
  label->setVisible(!text.isEmpty());
}

}  // namespace

PasswordBox::PasswordBox(const std::string& caption, const std::string& prompt, bool confirm,
                         PasswordAdvisor advise, QWidget* parent)
    : QDialog(parent), advise_(std::move(advise)) {
  setObjectName(QStringLiteral("PasswordBox"));
  setWindowTitle(Q(caption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);
  auto field = [this, layout](const char* name, const QString& label) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kMaxLength);
    edit->setMinimumWidth(300);
    auto* caption = new QLabel(label, this);
    caption->setBuddy(edit);
    layout->addWidget(caption);
    layout->addWidget(edit);
    connect(edit, &QLineEdit::textChanged, this, &PasswordBox::Changed);
    return edit;
  };
  password = field("password", Q(prompt));
  if (confirm) confirmation = field("confirm", QLatin1String(kConfirm));
  showPassword = new QCheckBox(QLatin1String(kShow), this);
  showPassword->setObjectName(QStringLiteral("show"));
  connect(showPassword, &QCheckBox::toggled, this, &PasswordBox::ShowToggled);
  layout->addWidget(showPassword);
  note = Note("note", this);
  strength = Note("strength", this);
  warning = Note("warning", this);
  for (QLabel* label : {note, strength, warning}) layout->addWidget(label);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok = buttons->button(QDialogButtonBox::Ok);
  ok->setObjectName(QStringLiteral("ok"));
  cancel = buttons->button(QDialogButtonBox::Cancel);
  cancel->setObjectName(QStringLiteral("cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  password->setFocus();
  Changed();
}

std::string PasswordBox::Password() const {
  return password->text().toStdString();
}

void PasswordBox::Changed() {
  const QString typed = password->text();
  bool acceptable = true;
  QString why;
  if (confirmation) {
    if (typed.isEmpty()) {
      acceptable = false;
      why = QLatin1String(kEmptyRefused);
    } else if (confirmation->text() != typed) {
      acceptable = false;
      // Nothing to say while the second field is still being filled in.
      if (!confirmation->text().isEmpty()) why = QLatin1String(kNoMatch);
    }
  }
  ok->setEnabled(acceptable);
  SetNote(note, why);
  if (advise_) {
    const PasswordAdvice advice = advise_(typed.toStdString());
    SetNote(strength, Q(advice.estimate));
    SetNote(warning, Q(advice.warning));
  }
}

void PasswordBox::ShowToggled(bool shown) {
  const auto mode = shown ? QLineEdit::Normal : QLineEdit::Password;
  password->setEchoMode(mode);
  if (confirmation) confirmation->setEchoMode(mode);
}

}  // namespace velt::platform
