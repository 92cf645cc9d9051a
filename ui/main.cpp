// velt: the desktop program.
#include <QApplication>
#include <QIcon>
#include <csignal>

#ifdef _WIN32
#include "platform/command_line.h"
#include "platform/win32/help_viewer_win32.h"
#else
#include "platform/qt/help_viewer_qt.h"
#endif
#include "platform/qt/prompts_qt.h"
#include "platform/qt/window_thread_qt.h"
#include "platform/registry.h"
#include "ui/session_end.h"
#include "ui/startup.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/velt/velt.png")));
  velt::platform::UseRegistryBesideProgram(QCoreApplication::applicationDirPath().toStdString());

#ifdef _WIN32
  // Qt's list follows the C runtime's quoting, in which the backslash of "C:\dir\" escapes
  // the closing quote; the shell's -e and -d lists are read by the blanks-and-quotes rule.
  std::vector<std::string> arguments = velt::platform::ProgramArguments();
#else
  std::vector<std::string> arguments;
  const QStringList given = QCoreApplication::arguments();
  for (int i = 1; i < given.size(); ++i) arguments.push_back(given[i].toStdString());
#endif

  velt::platform::QtWindowThread window;
  velt::platform::QtPrompts prompts;
#ifdef _WIN32
  velt::platform::Win32HelpViewer help;
#else
  velt::platform::QtHelpViewer help;
#endif
  const velt::ui::Services services{prompts, help, window};
  auto app = velt::ui::VeltApplication::Create(services, std::move(arguments));
  if (!app) return 1;
#ifdef _WIN32
  constexpr int kEndedBySession = 0;
#else
  constexpr int kEndedBySession = 128 + SIGTERM;  // as velt-cli and the shells report it
#endif
  const velt::ui::SessionEnd sessionEnd(*app);
  QObject::connect(&sessionEnd, &velt::ui::SessionEnd::Quit, &qt,
                   [] { QCoreApplication::exit(kEndedBySession); });
  app->Form1->show();
  return qt.exec();
}
