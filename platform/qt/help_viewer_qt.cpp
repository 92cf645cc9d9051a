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
      if (!program.isEmpty() && QProcess::startDetached(program, {chm})) return true;
    }
  }
  const QString html = QString::fromStdString(HtmlCopyOf(helpFile));
  return QFileInfo::exists(html) && QDesktopServices::openUrl(QUrl::fromLocalFile(html));
}

}  // namespace velt::platform
