#include "platform/qt/prompts_qt.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QVBoxLayout>

#include "platform/qt/password_box_qt.h"

namespace velt::platform {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QWidget* Owner() {
  return QApplication::activeWindow();
}

void SetKind(QMessageBox& box, MessageKind kind) {
  switch (kind) {
    case MessageKind::Information:
      box.setIcon(QMessageBox::Information);
      box.setWindowTitle(QStringLiteral("Information"));
      break;
    case MessageKind::Warning:
      box.setIcon(QMessageBox::Warning);
      box.setWindowTitle(QStringLiteral("Warning"));
      break;
    case MessageKind::Error:
      box.setIcon(QMessageBox::Critical);
      box.setWindowTitle(QStringLiteral("Error"));
      break;
  }
}

}  // namespace

void QtPrompts::ShowMessage(MessageKind kind, const std::string& text) {
  ShowMessage(kind, text, std::string());
}

void QtPrompts::ShowMessage(MessageKind kind, const std::string& text, const std::string& details) {
  QMessageBox box(Owner());
  SetKind(box, kind);
  box.setText(Q(text));
  if (!details.empty()) box.setDetailedText(Q(details));
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

bool QtPrompts::InputBox(const std::string& caption, const std::string& prompt, std::string& value,
                         int maxLength) {
  QDialog box(Owner());
  box.setWindowTitle(Q(caption));
  box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                     Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(&box);
  auto* label = new QLabel(Q(prompt), &box);
  auto* edit = new QLineEdit(Q(value), &box);
  edit->setObjectName(QStringLiteral("value"));
  edit->setEchoMode(QLineEdit::Normal);  // plain text: passwords have a box of their own
  edit->setMaxLength(maxLength);
  edit->setMinimumWidth(260);
  label->setBuddy(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(edit);
  layout->addWidget(buttons);
  box.setFixedSize(box.sizeHint());
  if (box.exec() != QDialog::Accepted) return false;
  value = edit->text().toStdString();
  return true;
}

bool QtPrompts::Confirm(MessageKind kind, const std::string& text) {
  QMessageBox box(Owner());
  SetKind(box, kind);
  box.setText(Q(text));
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  // Enter or a close through the frame must never be a Yes.
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

bool QtPrompts::AskPassword(const std::string& caption, const std::string& prompt, bool confirm,
                            std::string& value, const PasswordAdvisor& advise) {
  PasswordBox box(caption, prompt, confirm, advise, Owner());
  if (box.exec() != QDialog::Accepted) return false;
  value = box.Password();
  return true;
}

bool QtPrompts::OpenFile(const std::string& filter, const std::string& folder, std::string& path) {
  QString chosen = QFileDialog::getOpenFileName(Owner(), QStringLiteral("Open"), Q(folder),
                                                QtNameFilters(filter));
  if (chosen.isEmpty()) return false;
  path = QDir::toNativeSeparators(chosen).toStdString();  // Qt's '/' on every system
  return true;
}

QString QtNameFilters(const std::string& filter) {
  QStringList parts = Q(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
    }
    filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace velt::platform
