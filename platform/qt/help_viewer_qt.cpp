#include "platform/qt/help_viewer_qt.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace velt::platform {

bool QtHelpViewer::ShowHelp(const std::string& helpFile) {
  const QString chm = QString::fromStdString(helpFile);
  if (QFileInfo::exists(chm)) {
    for (const char* viewer : {"xchm", "kchmviewer"}) {
      QString program = QStandardPaths::findExecutable(QString::fromLatin1(viewer));
      if (!program.isEmpty() && QProcess::startDetached(program, {chm})) {
        opened_ = helpFile;
        return true;
      }
    }
  }
  const std::string copy = HtmlCopyOf(helpFile);
  const QString html = QString::fromStdString(copy);
  if (!QFileInfo::exists(html) || !QDesktopServices::openUrl(QUrl::fromLocalFile(html)))
    return false;
  opened_ = copy;
  return true;
}

}  // namespace velt::platform
