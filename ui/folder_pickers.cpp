#include "ui/folder_pickers.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/file_system.h"
#include "ui/messages.h"
#include "ui/widget_makers.h"

namespace velt::ui {

namespace {

// Gaining focus makes no folder current: a plain item view makes its first row ("/") current
// then, and a current row is one Enter away from being a choice the user never made.
class FolderTree final : public QTreeView {
 public:
  using QTreeView::QTreeView;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    const bool hadCurrent = currentIndex().isValid();
    QTreeView::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid()) selectionModel()->clearCurrentIndex();
  }
};

}  // namespace

QString ExtensionBoxCaption(const std::string& extension) {
  return L(messages::kDeextBefore) + QString::fromStdString(extension) + L(messages::kDeextAfter);
}

TFolderPicker::TFolderPicker(const char* name, QWidget* parent) : QDialog(parent) {
  setObjectName(L(name));
  setWindowTitle(L(messages::kSelectDirectory));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QString());
  ShellTreeView1 = new FolderTree(this);
  ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
  ShellTreeView1->setModel(model_);
  ShellTreeView1->setHeaderHidden(true);
  for (int column = 1; column < model_->columnCount(); ++column) ShellTreeView1->hideColumn(column);
  ShellTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TFolderPicker::SelectionChanged);
  // Open at the user's home folder, without selecting it: OK waits for a choice.
  const QModelIndex home = model_->index(QDir::homePath());
  for (QModelIndex i = home.parent(); i.isValid(); i = i.parent()) ShellTreeView1->expand(i);
  ShellTreeView1->scrollTo(home);

  Button1 = new QPushButton(L(messages::kOK), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button2 = new QPushButton(L(messages::kCancel), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  // Otherwise the dialog would make the first of them its default button as it opens.
  Button1->setAutoDefault(false);
  Button2->setAutoDefault(false);
  // ...but the one that has the focus is pressed by Enter, not OK behind it.
  EnterPresses(Button1);
  EnterPresses(Button2);
  Unchosen();
  connect(Button1, &QPushButton::clicked, this, &TFolderPicker::accept);
  connect(Button2, &QPushButton::clicked, this, &TFolderPicker::reject);
}

void TFolderPicker::Finish(QGroupBox* options) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ShellTreeView1, 1);
  layout->addWidget(options);
  layout->addLayout(buttons);
  // The design's size, or larger where a large font needs room for the options.
  setFixedSize(QSize(420, 460).expandedTo(minimumSizeHint()));
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

bool TFolderPicker::Execute() {
  Unchosen();
  ShellTreeView1->setFocus();
  return exec() == QDialog::Accepted;
}

void TFolderPicker::Unchosen() {
  // The folders stay expanded as the user left them.
  ShellTreeView1->selectionModel()->clear();
  SelectionChanged();
}

std::string TFolderPicker::SelectedPath() const {
  const QModelIndexList chosen = ShellTreeView1->selectionModel()->selectedRows();
  // Qt separates with '/' everywhere; the jobs and their reports use the system's own.
  return chosen.isEmpty()
             ? std::string()
             : QDir::toNativeSeparators(model_->filePath(chosen.first())).toStdString();
}

void TFolderPicker::SelectPath(const std::string& path) {
  const QModelIndex index = model_->index(QString::fromStdString(path));
  if (!index.isValid()) {
    ShellTreeView1->selectionModel()->clear();
  } else {
    ShellTreeView1->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ShellTreeView1->scrollTo(index);
  }
  SelectionChanged();
}

void TFolderPicker::SelectionChanged() {
  const std::string path = SelectedPath();
  const bool chosen = !path.empty() && platform::IsDirectory(path);
  Button1->setEnabled(chosen);
  // Enter means OK only once there is a folder to say OK to.
  Button1->setDefault(chosen);
}

Trencdir::Trencdir(QWidget* parent) : TFolderPicker("rencdir", parent) {
  auto* group = new QGroupBox(L(messages::kGroupEncryptionOptions), this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  rec = CheckBox(group, "rec", messages::kRecEncrypt, messages::kRecEncryptPickerHint);
  (new QVBoxLayout(group))->addWidget(rec);
  Finish(group);
}

Tdencdir::Tdencdir(QWidget* parent) : TFolderPicker("dencdir", parent) {
  auto* group = new QGroupBox(L(messages::kGroupDecryptionOptions), this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  rec = CheckBox(group, "rec", messages::kRecDecrypt, messages::kRecDecryptHint);
  deall = CheckBox(group, "deall", messages::kDeall, messages::kDeallHint);
  deext = CheckBox(group, "deext", "", messages::kDeextHint);
  SetExtension(messages::kDefaultExtension);
  auto* checks = new QVBoxLayout(group);
  for (QCheckBox* box : {rec, deall, deext}) checks->addWidget(box);
  Finish(group);
}

void Tdencdir::SetExtension(const std::string& extension) {
  deext->setText(ExtensionBoxCaption(extension));
}

bool Trencdir::Recursive() const {
  return rec->isChecked();
}

bool Tdencdir::Recursive() const {
  return rec->isChecked();
}

bool Tdencdir::OnlyWithMeta() const {
  return deall->isChecked();
}

bool Tdencdir::OnlyWithExtension() const {
  return deext->isChecked();
}

}  // namespace velt::ui
