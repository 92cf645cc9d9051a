// Trencdir and Tdencdir: the folder pickers of the two directory commands. A tree of the file
// system showing folders only; OK is enabled only while the selection is an existing folder.
// Made once per run, so the expanded folders and the boxes keep their states from one use to the
// next; the choice does not: each showing starts with no folder chosen, OK disabled and no
// default button, so that an Enter pressed as the picker opens starts nothing.
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QFileSystemModel;
class QGroupBox;
class QPushButton;
class QTreeView;

namespace velt::ui {

class TFolderPicker : public QDialog {
 public:
  // Shows the picker modally, with no folder chosen; true for OK. Cancel, Escape and a close
  // through the window frame all count as Cancel.
  bool Execute();
  // The folder the user chose ("" when none is selected).
  std::string SelectedPath() const;
  // Selects `path` in the tree as a click on it would.
  void SelectPath(const std::string& path);

 protected:
  TFolderPicker(const char* name, QWidget* parent);
  // Lays out the tree, the options group and the buttons.
  void Finish(QGroupBox* options);

 private:
  void SelectionChanged();
  // No folder chosen: no selection, no current row, OK disabled and not the default.
  void Unchosen();

  QFileSystemModel* model_ = nullptr;
  QTreeView* ShellTreeView1 = nullptr;
  QPushButton *Button1 = nullptr, *Button2 = nullptr;  // OK, Cancel
};

class Trencdir final : public TFolderPicker {
 public:
  explicit Trencdir(QWidget* parent = nullptr);
  bool Recursive() const;

 private:
  QCheckBox* rec = nullptr;
};

class Tdencdir final : public TFolderPicker {
 public:
  explicit Tdencdir(QWidget* parent = nullptr);
  // The deext caption names the current default extension; rebuilt before each showing.
  void SetExtension(const std::string& extension);
  bool Recursive() const;
  bool OnlyWithMeta() const;       // only files that carry meta information
  bool OnlyWithExtension() const;  // only files with the default extension

 private:
  QCheckBox *rec = nullptr, *deall = nullptr, *deext = nullptr;
};

// "Only attempt to Decrypt files with ." + extension + " extension"
QString ExtensionBoxCaption(const std::string& extension);

}  // namespace velt::ui
