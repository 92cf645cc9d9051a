#include "ui/search_dialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "batch/file_search.h"
#include "ui/elided_label.h"
#include "ui/messages.h"
#include "ui/widget_makers.h"

namespace velt::ui {

Tsearch::Tsearch(JobState& job, platform::WindowThread& window, QWidget* parent)
    : QDialog(parent), job_(job), window_(window) {
  setObjectName(QStringLiteral("search"));
  setWindowTitle(L(messages::kSearching));
  // The close box means Cancel, as Escape does.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);

  // A long path must not widen the dialog; its middle goes, its root and its end stay.
  dir = new ElidedLabel(this);
  dir->SetFullText(L(messages::kSearchDir));
  dir->setObjectName(QStringLiteral("dir"));
  dir->setMinimumWidth(340);
  found = new QLabel(L(messages::kFound) + QStringLiteral("0") + L(messages::kFiles), this);
  found->setObjectName(QStringLiteral("found"));
  Button1 = new QPushButton(L(messages::kCancel), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &Tsearch::CancelPressed);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(dir);
  layout->addWidget(found);
  layout->addLayout(buttons);
  setFixedSize(std::max(380, minimumSizeHint().width()), sizeHint().height());
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void Tsearch::Open() {
  batch::SearchCancelled = false;
  job_.FoundCount = 0;
  show();
  raise();
}

void Tsearch::ShowCount(int32_t count) {
  found->setText(L(messages::kFound) + QString::number(count) + L(messages::kFiles));
}

void Tsearch::ShowFolder(const std::string& folder) {
  dir->SetFullText(QString::fromStdString(folder));
}

void Tsearch::hideEvent(QHideEvent* event) {
  // Whatever closes it, the search stops at its next look at the flag.
  if (!event->spontaneous()) batch::SearchCancelled = true;
  QDialog::hideEvent(event);
}

void Tsearch::reject() {
  CancelPressed();
}

void Tsearch::Close() {
  hide();
}

void Tsearch::CancelPressed() {
  QDialog::reject();
  window_.ProcessPendingInput();
}

}  // namespace velt::ui
