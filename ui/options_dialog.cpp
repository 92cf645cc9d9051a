#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "batch/settings_store.h"
#include "platform/registry.h"
#include "ui/messages.h"
#include "ui/option_lists.h"
#include "ui/settings_controls.h"
#include "ui/widget_makers.h"

namespace velt::ui {

namespace {

// The code of a refusal for want of rights ("Access is denied."), the same on every platform.
constexpr int kAccessDenied = 5;

std::string NotSavedText(const platform::RegistryError& e) {
  return std::string(e.what()) + "\n\n" + messages::kSettingsNotSaved +
         platform::RegistryKeyName(platform::RegistryRoot::LocalMachine, batch::kSettingsKey) +
         (e.Code() == kAccessDenied ? messages::kSettingsNeedRights : ".") + "\n" +
         messages::kNothingSaved;
}

}  // namespace

Tveltoptions::Tveltoptions(const Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
  setObjectName(QStringLiteral("veltoptions"));
  setWindowTitle(L(messages::kOptionsCaption));
  // Fixed frame; its close box, like Escape, leaves without saving.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  EngineControls::Make(*this);
  deffileext->installEventFilter(this);

  auto* group = new QGroupBox(L(messages::kGroupEncryption), this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  addext = CheckBox(group, "addext", messages::kAddExt, messages::kAddExtHint);
  securedelete =
      CheckBox(group, "securedelete", messages::kSecureDelete, messages::kSecureDeleteHint);
  deleteorig = CheckBox(group, "deleteorig", messages::kDeleteOrig, messages::kDeleteOrigHint);
  addvelt = CheckBox(group, "addvelt", messages::kAddMeta, messages::kAddMetaHint);
  compressfile =
      CheckBox(group, "compressfile", messages::kCompressFile, messages::kCompressFileHint);
  addvelt->setEnabled(false);  // meta information can only be left out of uncompressed files
  auto* checks = new QVBoxLayout(group);
  for (QCheckBox* box : {addext, securedelete, deleteorig, addvelt, compressfile})
    checks->addWidget(box);

  // Enter presses OK, which checks the extension field before anything is stored.
  Button1 = Button(this, "Button1", messages::kOK);
  Button1->setDefault(true);
  Button2 = Button(this, "Button2", messages::kDefaults);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(Fields(this, {{messages::kLabelExtension, deffileext},
                                  {messages::kLabelCipher, defencengine},
                                  {messages::kLabelHash, defhashengine},
                                  {messages::kLabelCompression, defcomp},
                                  {messages::kLabelCompressionSpeed, defcompspeed}}));
  layout->addWidget(group);
  layout->addLayout(ButtonRow(Button1, Button2));

  connect(compressfile, &QCheckBox::toggled, this, &Tveltoptions::CompressChanged);
  connect(addext, &QCheckBox::toggled, this, &Tveltoptions::AddExtensionChanged);
  connect(Button1, &QPushButton::clicked, this, &Tveltoptions::Ok);
  connect(Button2, &QPushButton::clicked, this, &Tveltoptions::Defaults);

  setFixedSize(sizeHint());
  Load();
}

void Tveltoptions::Load() {
  batch::SettingsLoad loaded = batch::LoadSettings();
  // The store already turned an index outside its list into the list's first entry, so no
  // list is ever left without a selection for the pipelines to use.
  SetSettings(loaded.settings);
  if (loaded.error.empty()) return;
  std::string text = loaded.error;
  if (!loaded.failedValue.empty())
    text += std::string("\n\n") + messages::kValueNotRead + loaded.failedValue +
            messages::kValueNotReadIn +
            platform::RegistryKeyName(platform::RegistryRoot::LocalMachine, batch::kSettingsKey) +
            messages::kValueNotReadAfter;
  services_.prompts.ShowMessage(platform::MessageKind::Error, text);
}

engine::EngineSettings Tveltoptions::Settings() const {
  return EngineControls::Read(*this);
}

void Tveltoptions::SetSettings(const engine::EngineSettings& s) {
  deffileext->setText(QString::fromStdString(s.extension));
  SelectIndex(defencengine, s.cipherIndex);
  SelectIndex(defhashengine, s.hashIndex);
  SelectIndex(defcomp, s.compressionEngine);
  SelectIndex(defcompspeed, s.compressionSpeed);
  addext->setChecked(s.addExtension);
  securedelete->setChecked(s.secureDelete);
  deleteorig->setChecked(s.deleteOriginal);
  // The compress rule sets the meta box's enabled state; the stored flag then sets its check.
  compressfile->setChecked(s.compress);
  addvelt->setChecked(s.addMetaInfo);
}

void Tveltoptions::Defaults() {
  EngineControls::Reset(*this);
}

void Tveltoptions::Ok() {
  // Pressing OK leaves the field; its check must come before the value is stored.
  CheckExtensionField();
  try {
    batch::SaveSettings(Settings());
  } catch (const platform::RegistryError& e) {
    // Without the right to write the store there would be no way out; the values stay live for
    // this run.
    services_.prompts.ShowMessage(platform::MessageKind::Error, NotSavedText(e));
  }
  accept();
}

void Tveltoptions::CompressChanged(bool checked) {
  EngineControls::CompressRule(*this, checked);
}

void Tveltoptions::AddExtensionChanged(bool checked) {
  EngineControls::ExtensionRule(*this, checked, [this](const char* text) { Warn(text); });
}

void Tveltoptions::CheckExtensionField() {
  if (const char* warning = EngineControls::ExtensionProblem(deffileext->text())) {
    Warn(warning);
    deffileext->setText(L(messages::kDefaultExtension));
  }
}

void Tveltoptions::Warn(const char* text) {
  services_.prompts.ShowMessage(platform::MessageKind::Warning, text);
}

bool Tveltoptions::eventFilter(QObject* watched, QEvent* event) {
  if (watched == deffileext && event->type() == QEvent::FocusOut) {
    // Only focus moving to another control counts as leaving the field, not the window losing
    // the focus to a message box or another program.
    auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      // A modal box opened inside the focus change would interrupt the click that moved the
      // focus (half drawn, with the pressed control waiting); it opens right after instead.
      QMetaObject::invokeMethod(this, &Tveltoptions::CheckExtensionField, Qt::QueuedConnection);
  }
  return QDialog::eventFilter(watched, event);
}

void Tveltoptions::showEvent(QShowEvent* event) {
  opened_ = Settings();
  QDialog::showEvent(event);
}

void Tveltoptions::reject() {
  // Leaving without OK takes back what was changed since the dialog opened; hidden first, so
  // that putting a box back raises none of the warnings that changing it shows.
  QDialog::reject();
  SetSettings(opened_);
}

}  // namespace velt::ui
